// The font registry: the twelve names, loading once under concurrent first use, sized-font caching, refused
// resources, and fonts this installation lacks.
#include "fonts/BundleManager.h"
#include "fonts/FontTestSupport.h"
#include "fonts/MTFontV2.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <barrier>
#include <cstdio>
#include <thread>
#include <unistd.h>

using namespace zepla::math;

namespace {

// Everything the process writes to standard output while it lives.
class StdoutCapture {
public:
    StdoutCapture() {
        std::fflush(stdout);
        m_file = std::tmpfile();
        m_saved = dup(fileno(stdout));
        dup2(fileno(m_file), fileno(stdout));
    }
    ~StdoutCapture() {
        restore();
        std::fclose(m_file);
    }
    QStringList lines() {
        restore();
        std::rewind(m_file);
        QByteArray text;
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, m_file))
            text.append(buffer, qsizetype(n));
        return QString::fromUtf8(text).split('\n', Qt::SkipEmptyParts);
    }

private:
    void restore() {
        if (m_saved < 0)
            return;
        std::fflush(stdout);
        dup2(m_saved, fileno(stdout));
        close(m_saved);
        m_saved = -1;
    }

    std::FILE* m_file;
    int m_saved;
};

} // namespace

class TestBundleManager : public QObject {
    Q_OBJECT

private slots:
    void enumerationNamesTheTwelveResources() {
        const QStringList expected = {"latinmodern-math",     "KpMath-Light",
                                      "KpMath-Sans",          "xits-math",
                                      "texgyretermes-math",   "Asana-Math",
                                      "Euler-Math",           "FiraMath-Regular",
                                      "NotoSansMath-Regular", "LibertinusMath-Regular",
                                      "Garamond-Math",        "LeteSansMath"};
        QStringList names;
        for (MathFont font : MathFont::allCases()) {
            QCOMPARE(font.fontName(), font.rawValue());
            QCOMPARE(MathFont::fromRawValue(font.rawValue()), font);
            names.append(font.rawValue());
        }
        QCOMPARE(names, expected);
        QCOMPARE(sizeof(MathFont), std::size_t(1));
    }

    void rawValuesMatchExactly_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("capital first letter") << "Latinmodern-math";
        QTest::newRow("trailing space") << "latinmodern-math ";
        QTest::newRow("with extension") << "latinmodern-math.otf";
        QTest::newRow("empty") << "";
    }
    void rawValuesMatchExactly() {
        QFETCH(QString, text);
        QVERIFY(!MathFont::fromRawValue(text));
    }

    void concurrentFirstUseRegistersOnce() {
        BundleManager registry(mathFontFolder());
        constexpr int kThreads = 8;
        std::barrier start(kThreads);
        std::vector<std::shared_ptr<const FontFace>> faces(kThreads);
        StdoutCapture output;
        {
            std::vector<std::jthread> threads;
            for (int i = 0; i < kThreads; ++i)
                threads.emplace_back([&, i] {
                    start.arrive_and_wait();
                    faces[i] = registry.obtainCGFont(MathFont::latinModernFont);
                });
        }
        const QStringList lines = output.lines();
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("\"mathFonts bundle resource: latinmodern-math, font: "));
        QVERIFY(lines[0].endsWith(" registered on global.\""));
        QCOMPARE(lines[1], "\"mathFonts bundle resource: latinmodern-math.plist registered on global.\"");
        for (const auto& face : faces)
            QCOMPARE(face, faces[0]);
    }

    void debugLinesNameTheMainThread() {
        BundleManager registry(mathFontFolder());
        StdoutCapture output;
        registry.obtainRawMathTable(MathFont::latinModernFont);
        const QStringList lines = output.lines();
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], "\"mathFonts bundle resource: latinmodern-math, font: LatinModernMath-Regular, "
                           "ps: LatinModernMath-Regular registered on main.\"");
        QCOMPARE(lines[1], "\"mathFonts bundle resource: latinmodern-math.plist registered on main.\"");
    }

    void sizedFontsAreCachedPerSize() {
        BundleManager registry(mathFontFolder());
        StdoutCapture output;
        const MathFont font = MathFont::latinModernFont;
        const auto twenty = registry.obtainCTFont(font, 20);
        QCOMPARE(registry.obtainCTFont(font, 20.0), twenty);
        QCOMPARE(twenty->pointSize(), 20.0);
        QCOMPARE(registry.obtainCTFont(font, -0.0), registry.obtainCTFont(font, 0.0));
        QVERIFY(registry.obtainCTFont(font, 15) != twenty);
        QVERIFY(registry.obtainCTFont(MathFont::xitsFont, 20) != twenty);
        QCOMPARE(BundleManager::CTFontSizePairHash()({font, -0.0}),
                 BundleManager::CTFontSizePairHash()({font, 0.0}));
        output.lines();
    }

    void damagedResourcesAreRefused_data() {
        QTest::addColumn<QVariantMap>("table");
        QTest::addColumn<bool>("fontFileIsText");
        QTest::addColumn<BundleManager::FontError>("error");
        using E = BundleManager::FontError;
        QTest::newRow("version 1.2") << fonttest::minimalTable("1.2") << false << E::invalidMathTable;
        QTest::newRow("version as number") << fonttest::minimalTable(1.3) << false << E::invalidMathTable;
        QTest::newRow("no version") << QVariantMap{{"constants", QVariantMap{}}} << false
                                    << E::invalidMathTable;
        QTest::newRow("font file not a font") << fonttest::minimalTable("1.3") << true << E::initFontError;
    }
    void damagedResourcesAreRefused() {
        QFETCH(QVariantMap, table);
        QFETCH(bool, fontFileIsText);
        QFETCH(BundleManager::FontError, error);
        QTemporaryDir dir;
        QVERIFY(fonttest::makeFontFolder(dir, "latinmodern-math", table));
        if (fontFileIsText) {
            QFile font(dir.filePath("latinmodern-math.otf"));
            QVERIFY(font.open(QIODevice::WriteOnly | QIODevice::Truncate) && font.write("not a font") > 0);
        }
        StdoutCapture output;
        BundleManager registry(dir.path());
        QCOMPARE(registry.registerFont(MathFont::latinModernFont), error);
        output.lines();
    }

    void unparsableTableIsRefused() {
        QTemporaryDir dir;
        QVERIFY(fonttest::makeFontFolder(dir, "latinmodern-math", {}));
        QFile plist(dir.filePath("latinmodern-math.plist"));
        QVERIFY(plist.open(QIODevice::WriteOnly) && plist.write("<plist><dict><key>version</key>") > 0);
        plist.close();
        StdoutCapture output;
        BundleManager registry(dir.path());
        QCOMPARE(registry.registerFont(MathFont::latinModernFont),
                 BundleManager::FontError::invalidMathTable);
        output.lines();
    }

    void refusedTableStopsTheProcess() {
        QTemporaryDir dir;
        QVERIFY(fonttest::makeFontFolder(dir, "latinmodern-math", fonttest::minimalTable("1.2")));
        const auto stop = fonttest::runStopProbe({"registry", dir.path(), "latinmodern-math"});
        QVERIFY(stop.crashedOrFailed);
        QVERIFY2(
            stop.lastWords.contains("MTMathFonts:onDemandRegistration(mathFont:) ondemand loading failed, "
                                    "mathFont latinmodern-math, reason invalidMathTable"),
            qPrintable(stop.lastWords));
    }

    void everyNameResolvesAndMissingFontsFallBack() {
        BundleManager registry(mathFontFolder());
        StdoutCapture output;
        QTest::ignoreMessage(QtWarningMsg,
                             "Math font \"LeteSansMath\" is not installed; using \"latinmodern-math\" "
                             "instead.");
        QTest::failOnWarning(QRegularExpression(".*"));
        QSet<QString> postScriptNames;
        for (MathFont font : MathFont::allCases()) {
            const auto face = registry.obtainCGFont(font);
            const auto table = registry.obtainRawMathTable(font);
            QCOMPARE(table.value("version"), QVariant("1.3"));
            if (font != MathFont::leteSansFont)
                postScriptNames.insert(face->postScriptName());
        }
        QCOMPARE(postScriptNames.size(), 11);
        QCOMPARE(registry.obtainCGFont(MathFont::leteSansFont),
                 registry.obtainCGFont(MathFont::latinModernFont));
        QCOMPARE(registry.obtainCTFont(MathFont::leteSansFont, 12)->face(),
                 registry.obtainCGFont(MathFont::latinModernFont));
        output.lines();
    }

    void mathFontGivesV2FontsOfTheSharedRegistry() {
        StdoutCapture output;
        const auto font = MathFont(MathFont::firaFont).mtfont(18);
        QCOMPARE(font->font(), MathFont::firaFont);
        QCOMPARE(font->fontSize(), 18.0);
        QCOMPARE(font->defaultCGFont(), MathFont(MathFont::firaFont).cgFont());
        QCOMPARE(font->ctFont(), MathFont(MathFont::firaFont).ctFont(18));
        output.lines();
    }
};

QTEST_MAIN(TestBundleManager)
#include "test_bundlemanager.moc"
