// Reading a math-table export: constants in points, variants, larger glyphs, italics, accents and assembly
// parts from hand-made dictionaries over the installed default font (1000 units per em).
#include "fonts/FontTestSupport.h"
#include "fonts/MTFontManager.h"
#include "fonts/MathTableVersion.h"

#include <QTest>

using namespace zepla::math;

namespace {

QVariantMap part(const QString& glyph, int advance, bool extender) {
    return {{"advance", advance},
            {"endConnector", 10},
            {"startConnector", 20},
            {"extender", extender},
            {"glyph", glyph}};
}

} // namespace

class TestMTFontMathTable : public QObject {
    Q_OBJECT

    std::shared_ptr<MTFont> m_font;

    MTFontMathTable tableOf(QVariantMap sections) const {
        sections.insert("version", "1.3");
        return MTFontMathTable(m_font, sections);
    }
    quint16 glyph(const char* name) const { return m_font->glyphWithName(name); }

private slots:
    void initTestCase() {
        m_font = MTFontManager::manager()->latinModernFont(20);
        QCOMPARE(m_font->ctFont()->unitsPerEm(), 1000u);
    }

    void constantsAreReadInPoints() {
        const auto table = tableOf({{"constants", QVariantMap{{"AxisHeight", 250},
                                                              {"FractionRuleThickness", 40.9},
                                                              {"ScriptPercentScaleDown", 70},
                                                              {"SubscriptShiftDown", "247"}}}});
        QCOMPARE(table.axisHeight(), 5.0);
        QCOMPARE(table.fractionRuleThickness(), 0.8);
        QCOMPARE(table.muUnit(), 20.0 / 18);
        QCOMPARE(table.scriptScaleDown(), 0.7);
        QCOMPARE(table.scriptScriptScaleDown(), 0.0);
        QCOMPARE(table.subscriptShiftDown(), 0.0);
        QCOMPARE(table.fractionDelimiterSize(), 20.2);
        QCOMPARE(table.fractionDelimiterDisplayStyleSize(), 47.8);
        QCOMPARE(tableOf({}).axisHeight(), 0.0);
    }

    void variantsListTheGlyphsOfTheirNames() {
        const auto table =
            tableOf({{"v_variants", QVariantMap{{"summation", QVariantList{"summation", 7, "summation.v1"}},
                                                {"parenleft", QVariantList{}},
                                                {"integral", "integral.v1"}}},
                     {"h_variants", QVariantMap{}}});
        QCOMPARE(table.getVerticalVariantsForGlyph(glyph("summation")),
                 QList<quint16>({glyph("summation"), glyph("summation.v1")}));
        QCOMPARE(table.getVerticalVariantsForGlyph(glyph("parenleft")), QList<quint16>{glyph("parenleft")});
        QCOMPARE(table.getVerticalVariantsForGlyph(glyph("integral")), QList<quint16>{glyph("integral")});
        QCOMPARE(table.getVerticalVariantsForGlyph(glyph("a")), QList<quint16>{glyph("a")});
        QCOMPARE(table.getHorizontalVariantsForGlyph(glyph("a")), QList<quint16>{glyph("a")});
        QCOMPARE(tableOf({}).getVerticalVariantsForGlyph(glyph("a")), QList<quint16>{});
    }

    void largerGlyphIsTheFirstOtherVariant() {
        const auto table =
            tableOf({{"v_variants",
                      QVariantMap{{"summation", QVariantList{"summation", "summation.v1"}},
                                  {"parenleft", QVariantList{"parenleft.v2", "parenleft", "parenleft.v1"}},
                                  {"integral", QVariantList{"integral"}}}}});
        QCOMPARE(table.getLargerGlyph(glyph("summation")), glyph("summation.v1"));
        QCOMPARE(table.getLargerGlyph(glyph("parenleft")), glyph("parenleft.v2"));
        QCOMPARE(table.getLargerGlyph(glyph("integral")), glyph("integral"));
        QCOMPARE(table.getLargerGlyph(glyph("a")), glyph("a"));
        QCOMPARE(tableOf({}).getLargerGlyph(glyph("a")), glyph("a"));
    }

    void italicsAndAccentsHaveDefaults() {
        const auto table =
            tableOf({{"italic", QVariantMap{{"f", 79}}}, {"accents", QVariantMap{{"a", 214}}}});
        QCOMPARE(table.getItalicCorrection(glyph("f")), 1.58);
        QCOMPARE(table.getItalicCorrection(glyph("a")), 0.0);
        QCOMPARE(table.getTopAccentAdjustment(glyph("a")), 4.28);
        const qreal advance = m_font->ctFont()->advance(glyph("x"));
        QVERIFY(advance > 0);
        QCOMPARE(table.getTopAccentAdjustment(glyph("x")), advance / 2);
        QCOMPARE(tableOf({}).getTopAccentAdjustment(glyph("x")), advance / 2);
    }

    void assemblyKeepsWellFormedPartsInOrder() {
        QVariantMap withoutExtender = part("uni239C", 500, true);
        withoutExtender.remove("extender");
        QVariantMap glyphAsNumber = part("uni239C", 500, true);
        glyphAsNumber.insert("glyph", 3);
        const QVariantList parts = {part("uni239D", 1495, false), withoutExtender, part("uni239C", 498, true),
                                    glyphAsNumber, part("uni239B", 1500, false)};
        const auto table =
            tableOf({{"v_assembly", QVariantMap{{"parenleft", QVariantMap{{"parts", parts}}}}}});
        const QList<GlyphPart> assembly = table.getVerticalGlyphAssembly(glyph("parenleft"));
        QCOMPARE(assembly.size(), 3);
        QCOMPARE(assembly[0].glyph, glyph("uni239D"));
        QCOMPARE(assembly[0].fullAdvance, 29.9);
        QCOMPARE(assembly[0].startConnectorLength, 0.4);
        QCOMPARE(assembly[0].endConnectorLength, 0.2);
        QVERIFY(!assembly[0].isExtender);
        QCOMPARE(assembly[1].glyph, glyph("uni239C"));
        QVERIFY(assembly[1].isExtender);
        QCOMPARE(assembly[2].glyph, glyph("uni239B"));
        QVERIFY(table.getVerticalGlyphAssembly(glyph("a")).isEmpty());
    }

    void versionMustBeTheText13_data() {
        QTest::addColumn<QVariantMap>("table");
        QTest::addColumn<QString>("error");
        QTest::newRow("1.3") << fonttest::minimalTable("1.3") << QString();
        QTest::newRow("1.2") << fonttest::minimalTable("1.2") << "Invalid version of math table plist: 1.2";
        QTest::newRow("number 1.3") << fonttest::minimalTable(1.3) << "Math table plist has no version text";
        QTest::newRow("missing") << QVariantMap{} << "Math table plist has no version text";
    }
    void versionMustBeTheText13() {
        QFETCH(QVariantMap, table);
        QFETCH(QString, error);
        QCOMPARE(mathTableVersionError(table).value_or(QString()), error);
    }

    void wrongVersionStopsTheProcess() {
        QTemporaryDir dir;
        QFile plist(dir.filePath("table.plist"));
        QVERIFY(plist.open(QIODevice::WriteOnly) &&
                plist.write(writePropertyList(fonttest::minimalTable("1.2"))) > 0);
        plist.close();
        const auto stop = fonttest::runStopProbe({"table", plist.fileName()});
        QVERIFY(stop.crashedOrFailed);
        QVERIFY2(stop.lastWords.contains("Invalid version of math table plist: 1.2"),
                 qPrintable(stop.lastWords));
    }
};

QTEST_MAIN(TestMTFontMathTable)
#include "test_mtfontmathtable.moc"
