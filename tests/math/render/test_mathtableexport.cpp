// The exported math tables laid out by the build: what the exporter wrote, read back through the engine and
// checked against HarfBuzz's reading of the same font.
#include "fonts/MTFontManager.h"
#include "fonts/MathFontResources.h"
#include "fonts/PropertyList.h"

#include <QTest>

#include <hb-ot.h>

using namespace zepla::math;

class TestMathTableExport : public QObject {
    Q_OBJECT

    std::shared_ptr<MTFont> m_latinModern;

    QVariantMap exported(const QString& name) const {
        const auto read = readPropertyList(mathTableFile(mathFontFolder(), name));
        return read.dictionary.value_or(QVariantMap());
    }

private slots:
    void initTestCase() {
        MTFontManager::setManager(std::make_shared<MTFontManager>());
        m_latinModern = MTFontManager::manager()->defaultFont();
    }

    void headerAndConstants() {
        const QVariantMap table = exported("latinmodern-math");
        QCOMPARE(table.value("version"), QVariant("1.3"));
        QCOMPARE(table.keys(), QStringList({"accents", "constants", "h_variants", "italic", "v_assembly",
                                            "v_variants", "version"}));
        const QVariantMap constants = table.value("constants").toMap();
        QCOMPARE(constants.size(), 57);
        QVERIFY(constants.contains("MinConnectorOverlap"));
        QVERIFY(constants.contains("FractionNumDisplayStyleGapMin"));
        QCOMPARE(m_latinModern->mathTable()->axisHeight(), 5.0);
        QCOMPARE(m_latinModern->mathTable()->scriptScaleDown(), 0.7);
        QCOMPARE(m_latinModern->mathTable()->minConnectorOverlap(), 0.4);
    }

    void variantsStartWithTheBaseGlyph() {
        const MTFontMathTable* table = m_latinModern->mathTable();
        const quint16 sum = m_latinModern->glyphWithName("summation");
        const QList<quint16> variants = table->getVerticalVariantsForGlyph(sum);
        QVERIFY(variants.size() > 1);
        QCOMPARE(variants.first(), sum);
        QCOMPARE(table->getLargerGlyph(sum), variants[1]);
        const quint16 arrow = m_latinModern->glyphWithName("arrowright");
        QVERIFY(table->getHorizontalVariantsForGlyph(arrow).size() > 1);
        QCOMPARE(table->getHorizontalVariantsForGlyph(arrow).first(), arrow);
    }

    void assemblyRunsBottomToTopWithAnExtender() {
        const MTFontMathTable* table = m_latinModern->mathTable();
        const QList<GlyphPart> parts =
            table->getVerticalGlyphAssembly(m_latinModern->glyphWithName("parenleft"));
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts[0].glyph, m_latinModern->glyphWithName("uni239D"));
        QCOMPARE(parts[1].glyph, m_latinModern->glyphWithName("uni239C"));
        QCOMPARE(parts[2].glyph, m_latinModern->glyphWithName("uni239B"));
        QVERIFY(!parts[0].isExtender && parts[1].isExtender && !parts[2].isExtender);
        // The bottom piece connects only upward, the top piece only downward.
        QCOMPARE(parts[0].startConnectorLength, 0.0);
        QCOMPARE(parts[2].endConnectorLength, 0.0);

        const QStringList keys = {"advance", "endConnector", "extender", "glyph", "startConnector"};
        const QVariantMap assemblies = exported("latinmodern-math").value("v_assembly").toMap();
        QVERIFY(!assemblies.isEmpty());
        for (const QVariant& assembly : assemblies) {
            for (const QVariant& part : assembly.toMap().value("parts").toList())
                QCOMPARE(part.toMap().keys(), keys);
        }
    }

    void accentsListOnlyCoveredGlyphs() {
        const QVariantMap accents = exported("latinmodern-math").value("accents").toMap();
        QCOMPARE(accents.value("a"), QVariant(qlonglong(214)));
        QVERIFY(!accents.contains("summation"));
        QVERIFY(accents.size() < int(m_latinModern->defaultCGFont()->glyphCount()));
        hb_font_t* font = m_latinModern->defaultCGFont()->hbFont();
        for (auto it = accents.constBegin(); it != accents.constEnd(); ++it) {
            const quint16 glyph = m_latinModern->glyphWithName(it.key());
            QCOMPARE(it.value().toInt(), hb_ot_math_get_glyph_top_accent_attachment(font, glyph));
        }
        const quint16 sum = m_latinModern->glyphWithName("summation");
        QCOMPARE(m_latinModern->mathTable()->getTopAccentAdjustment(sum),
                 m_latinModern->ctFont()->advance(sum) / 2);
    }

    void glyphNamesRoundTrip_data() {
        QTest::addColumn<QString>("name");
        for (MathFont font : MathFont::allCases()) {
            if (!mathFontFile(mathFontFolder(), font.rawValue()).isEmpty())
                QTest::newRow(qPrintable(font.rawValue())) << font.rawValue();
        }
    }
    void glyphNamesRoundTrip() {
        QFETCH(QString, name);
        const auto face = MTFontManager::manager()->font(name, 20)->defaultCGFont();
        QVERIFY(face->glyphCount() > 100);
        for (unsigned glyph = 0; glyph < face->glyphCount(); ++glyph) {
            const QString glyphName = face->nameForGlyph(quint16(glyph));
            QVERIFY(!glyphName.isEmpty());
            QCOMPARE(face->nameForGlyph(face->glyphWithName(glyphName)), glyphName);
        }
    }
};

QTEST_MAIN(TestMathTableExport)
#include "test_mathtableexport.moc"
