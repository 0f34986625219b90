// The font manager: one cached font per name, size copies, the default font, every resource name, and the
// default font standing in for a font this installation lacks.
#include "fonts/MTFontManager.h"
#include "fonts/MTFontV2.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <barrier>
#include <thread>

using namespace zepla::math;

class TestMTFontManager : public QObject {
    Q_OBJECT

private slots:
    void init() { MTFontManager::setManager(std::make_shared<MTFontManager>()); }

    void cacheKeepsTheFirstSize() {
        auto manager = MTFontManager::manager();
        const auto cached = manager->font("latinmodern-math", 20);
        QCOMPARE(cached->fontSize(), 20.0);
        const auto smaller = manager->font("latinmodern-math", 15);
        QVERIFY(smaller != cached);
        QCOMPARE(smaller->fontSize(), 15.0);
        QCOMPARE(smaller->mathTable()->fontSize(), 15.0);
        QCOMPARE(manager->font("latinmodern-math", 20), cached);
        QCOMPARE(manager->nameToFontMap().value("latinmodern-math"), cached);
        QCOMPARE(manager->nameToFontMap().size(), 1);
    }

    void defaultFontIsTheCachedFontAtTwenty() {
        auto manager = MTFontManager::manager();
        const auto cached = manager->latinModernFont(20);
        QCOMPARE(manager->defaultFont(), cached);
        QCOMPARE(MTFontManager().defaultFont(), cached);
    }

    void defaultFontIsACopyWhenFirstAskedAtAnotherSize() {
        auto manager = MTFontManager::manager();
        const auto cached = manager->latinModernFont(12);
        const auto byDefault = manager->defaultFont();
        QVERIFY(byDefault != cached);
        QCOMPARE(byDefault->fontSize(), 20.0);
        QVERIFY(manager->latinModernFont(20) != byDefault);
    }

    void copiesShareTheDictionaryAndFile() {
        const auto font = MTFontManager::manager()->defaultFont();
        const auto copy = font->copyWithSize(10);
        QCOMPARE(copy->fontSize(), 10.0);
        QCOMPARE(copy->defaultCGFont(), font->defaultCGFont());
        QVERIFY(copy->rawMathTable().isSharedWith(font->rawMathTable()));
        QVERIFY(copy->mathTable() != font->mathTable());
        QCOMPARE(copy->mathTable()->fontSize(), 10.0);
        QCOMPARE(copy->mathTable()->axisHeight(), 2.5);
        QCOMPARE(font->mathTable()->font().lock(), font);
    }

    void glyphNamesAndIds() {
        const auto font = MTFontManager::manager()->defaultFont();
        const quint16 sum = font->glyphWithName("summation");
        QVERIFY(sum != 0);
        QCOMPARE(font->nameForGlyph(sum), "summation");
        QCOMPARE(font->glyphWithName("no-such-glyph"), quint16(0));
        QCOMPARE(font->nameForGlyph(65535), QString());
        QCOMPARE(font->ctFont()->glyphForCodePoint(U'∑'), sum);
    }

    void metricsAreExactAtAnySize() {
        const auto font = MTFontManager::manager()->font("latinmodern-math", 10);
        const quint16 x = font->glyphWithName("x");
        const QRectF units = font->defaultCGFont()->bounds(x);
        const QRectF points = font->ctFont()->boundingRect(x);
        QCOMPARE(points.width(), units.width() / 100);
        QCOMPARE(points.top(), units.top() / 100);
        QCOMPARE(font->ctFont()->advance(x), font->defaultCGFont()->advance(x) / 100.0);
        const quint16 p = font->glyphWithName("p");
        QVERIFY(font->ctFont()->boundingRect(p).top() < 0);
        QCOMPARE(font->ctFont()->boundingRect(QList<quint16>{x, p}),
                 font->ctFont()->boundingRect(x).united(font->ctFont()->boundingRect(p)));
        const QRawFont raw = font->ctFont()->rawFont();
        QVERIFY(raw.isValid());
        QCOMPARE(raw.pixelSize(), 10.0);
    }

    void everyResourceNameGivesAFont() {
        auto manager = MTFontManager::manager();
        const std::shared_ptr<MTFont> fonts[] = {
            manager->latinModernFont(14),     manager->kpMathLightFont(14),
            manager->kpMathSansFont(14),      manager->xitsFont(14),
            manager->termesFont(14),          manager->asanaFont(14),
            manager->eulerFont(14),           manager->firaRegularFont(14),
            manager->notoSansRegularFont(14), manager->libertinusRegularFont(14),
            manager->garamondMathFont(14),
        };
        QSet<QString> names;
        for (const auto& font : fonts) {
            QCOMPARE(font->fontSize(), 14.0);
            QVERIFY(font->mathTable()->axisHeight() > 0);
            names.insert(font->defaultCGFont()->postScriptName());
        }
        QCOMPARE(names.size(), 11);
    }

    void missingFontIsReplacedByTheDefaultOnce() {
        auto manager = MTFontManager::manager();
        QTest::ignoreMessage(
            QtWarningMsg, "Math font \"LeteSansMath\" is not installed; using \"latinmodern-math\" instead.");
        QTest::ignoreMessage(
            QtWarningMsg, "Math font \"NoSuchFont\" is not installed; using \"latinmodern-math\" instead.");
        QTest::failOnWarning(QRegularExpression(".*"));
        const auto lete = manager->leteSansFont(20);
        QCOMPARE(lete->defaultCGFont(), manager->defaultFont()->defaultCGFont());
        QCOMPARE(manager->leteSansFont(20), lete);
        QCOMPARE(manager->leteSansFont(16)->fontSize(), 16.0);
        QCOMPARE(manager->font("NoSuchFont", 20)->defaultCGFont(), lete->defaultCGFont());
    }

    void v2TablesAreBuiltOnceAndCopiesStayV2() {
        const auto font = std::make_shared<MTFontV2>(MathFont::xitsFont, 20);
        constexpr int kThreads = 8;
        std::barrier start(kThreads);
        std::vector<const MTFontMathTable*> tables(kThreads);
        {
            std::vector<std::jthread> threads;
            for (int i = 0; i < kThreads; ++i)
                threads.emplace_back([&, i] {
                    start.arrive_and_wait();
                    tables[i] = font->mathTable();
                });
        }
        for (const auto* table : tables)
            QCOMPARE(table, tables[0]);
        QCOMPARE(tables[0]->fontSize(), 20.0);
        QVERIFY(tables[0]->axisHeight() > 0);
        const auto copy = std::dynamic_pointer_cast<MTFontV2>(font->copyWithSize(12));
        QVERIFY(copy);
        QCOMPARE(copy->font(), MathFont::xitsFont);
        QCOMPARE(copy->mathTable()->fontSize(), 12.0);
    }
};

QTEST_MAIN(TestMTFontManager)
#include "test_mtfontmanager.moc"
