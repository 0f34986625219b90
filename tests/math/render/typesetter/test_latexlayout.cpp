// Formulas written in LaTeX, parsed, laid out and drawn: the letters each style gives, spacing as parsed,
// accentees, and colours drawn in their colours.
#include "TypesetTestSupport.h"

#include "mathlist/MTMathListBuilder.h"
#include "typesetter/MTTypesetter.h"

#include <QTest>

#include <functional>
#include <thread>

using namespace zepla::math;
using namespace typesettest;

namespace {

// The text of every line of the tree, in drawing order.
QString textOf(const MTDisplay& node) {
    if (auto line = dynamic_cast<const MTCTLineDisplay*>(&node))
        return line->attributedString().string();
    QString text;
    if (auto list = dynamic_cast<const MTMathListDisplay*>(&node)) {
        for (const auto& child : list->subDisplays())
            text += textOf(*child);
    }
    return text;
}

} // namespace

class TestLatexLayout : public QObject {
    Q_OBJECT

private slots:
    void styledLetters_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<QList<uint>>("codePoints");
        QTest::newRow("bold R") << "\\mathbf{R}" << QList<uint>{0x1D411};
        QTest::newRow("blackboard R") << "\\mathbb{R}" << QList<uint>{0x211D};
        QTest::newRow("caligraphic L") << "\\mathcal{L}" << QList<uint>{0x2112};
        QTest::newRow("fraktur g") << "\\mathfrak{g}" << QList<uint>{0x1D524};
        QTest::newRow("alpha") << "\\alpha" << QList<uint>{0x1D6FC};
        QTest::newRow("capital Gamma") << "\\Gamma" << QList<uint>{0x0393};
        QTest::newRow("roman d") << "\\mathrm{d}x" << QList<uint>{'d', 0x1D465};
        QTest::newRow("number") << "3.14" << QList<uint>{'3', '.', '1', '4'};
        QTest::newRow("bold number") << "\\mathbf{2.5}" << QList<uint>{0x1D7D0, '.', 0x1D7D3};
    }

    void styledLetters() {
        QFETCH(QString, latex);
        QFETCH(QList<uint>, codePoints);
        const auto display = layoutLatex(latex);
        QVERIFY(display);
        QCOMPARE(textOf(*display).toUcs4(), codePoints);
    }

    void relationSpacingAsParsed() {
        const auto display = layoutLatex("a=b");
        const auto line = std::dynamic_pointer_cast<MTCTLineDisplay>(display->subDisplays().front());
        QCOMPARE(line->attributedString().kerns().size(), std::size_t(2));
        QCOMPARE(line->attributedString().kerns().front().space, 5 * 20.0 / 18);
    }

    void singleCharAccentee_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<bool>("single");
        QTest::newRow("one letter") << "\\hat{x}" << true;
        QTest::newRow("two letters") << "\\hat{xy}" << false;
        QTest::newRow("scripted letter") << "\\hat{x^2}" << false;
        QTest::newRow("empty") << "\\hat{}" << false;
        QTest::newRow("accent over an accent") << "\\hat{\\hat{a}}" << false;
        QTest::newRow("fraction") << "\\hat{\\frac{a}{b}}" << false;
    }

    void singleCharAccentee() {
        QFETCH(QString, latex);
        QFETCH(bool, single);
        const MTMathListPtr list = MTMathListBuilder::build(latex);
        QVERIFY(list);
        const auto accent = std::dynamic_pointer_cast<MTAccent>(list->atoms().front());
        QVERIFY(accent);
        QCOMPARE(MTTypesetter::isSingleCharAccentee(accent.get()), single);
    }

    // The root's colour reaches the plain text; a colour atom keeps its own, and a box fills behind its text.
    void coloursAreDrawn() {
        const auto display = layoutLatex("\\color{#FF0000}{M}\\,\\colorbox{#00FF00}{M}\\,M");
        QVERIFY(display);
        display->setTextColor(QColor(Qt::black));
        const int width = int(display->width()) + 20;
        const QImage image = render(*display, {width, 60}, {10, 40});
        QVERIFY(hasPixelOf(image, QColor(255, 0, 0)));
        QVERIFY(hasPixelOf(image, QColor(0, 255, 0)));
        QVERIFY(hasPixelOf(image, QColor(0, 0, 0)));
        const auto& box = display->subDisplays().at(1);
        const QColor inBox = image.pixelColor(10 + int(box->position().x() + 1), 40 - int(box->ascent()) + 1);
        QCOMPARE(inBox, QColor(0, 255, 0));
    }

    // Layouts share the font files, their measured glyphs and the spacing table: glyphs measured for the
    // first time on several threads at once come out as one thread alone measures them.
    void layoutsOnSeveralThreadsAgree() {
        const QString latex =
            QStringLiteral("\\mathbf{v}_i^2 + \\beta\\,\\mathbb{Q}^n \\geq \\color{#FF0000}{\\zeta_k}");
        const auto layoutWidth = [&latex] {
            return MTTypesetter::createLineForMathList(MTMathListBuilder::build(latex),
                                                       defaultFont()->copyWithSize(17), MTLineStyle::text)
                ->width();
        };
        std::vector<qreal> widths(4);
        std::vector<std::thread> threads;
        for (std::size_t t = 0; t < widths.size(); ++t)
            threads.emplace_back([&, t] { widths[t] = layoutWidth(); });
        for (auto& thread : threads)
            thread.join();
        const qreal alone = layoutWidth();
        QVERIFY(alone > 0);
        for (qreal width : widths)
            QCOMPARE(width, alone);
    }

    // A formula with Cyrillic draws the letters the math font lacks from a text font, as ink.
    void cyrillicIsDrawn() {
        const auto display = layoutLatex(QStringLiteral("ж"));
        QVERIFY(display);
        QVERIFY(display->width() > 5);
        QVERIFY(display->ascent() > 5);
        display->setTextColor(QColor(Qt::black));
        QVERIFY(!inkRect(render(*display, {60, 60}, {10, 40})).isEmpty());
    }
};

QTEST_MAIN(TestLatexLayout)
#include "test_latexlayout.moc"
