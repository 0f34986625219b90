// Whole formulas: a few hundred typical ones of every kind lay out and draw in every math font with no glyph
// missing (a character a font lacks comes from the default math font or a text font), and bad input (huge
// tables, deep nesting, empty accentees, zero heights) lays out in bounded time and memory.
#include "TypesetTestSupport.h"

#include "display/MTAccentDisplay.h"
#include "display/MTFractionDisplay.h"
#include "display/MTGlyphDisplay.h"
#include "display/MTLargeOpLimitsDisplay.h"
#include "display/MTLineDisplay.h"
#include "display/MTRadicalDisplay.h"
#include "fonts/MathFont.h"
#include "mathlist/corpus/TypicalFormulas.h"

#include <QTest>

#include <array>
#include <cmath>
#include <thread>
#include <vector>

using namespace zepla::math;
using namespace typesettest;

namespace {

// Calls `visit` on every node of the tree.
void walk(const MTDisplay& node, const std::function<void(const MTDisplay&)>& visit) {
    visit(node);
    const auto child = [&](const MTDisplayPtr& display) {
        if (display)
            walk(*display, visit);
    };
    if (auto list = dynamic_cast<const MTMathListDisplay*>(&node)) {
        for (const auto& sub : list->subDisplays())
            child(sub);
    } else if (auto fraction = dynamic_cast<const MTFractionDisplay*>(&node)) {
        child(fraction->numerator());
        child(fraction->denominator());
    } else if (auto radical = dynamic_cast<const MTRadicalDisplay*>(&node)) {
        child(radical->radicand());
        child(radical->degree());
        child(radical->radicalGlyph());
    } else if (auto op = dynamic_cast<const MTLargeOpLimitsDisplay*>(&node)) {
        child(op->nucleus());
        child(op->upperLimit());
        child(op->lowerLimit());
    } else if (auto line = dynamic_cast<const MTLineDisplay*>(&node)) {
        child(line->inner());
    } else if (auto accent = dynamic_cast<const MTAccentDisplay*>(&node)) {
        child(accent->accentee());
        child(accent->accent());
    }
}

// The number of glyphs of the tree that are the font's missing-glyph box.
int missingGlyphs(const MTDisplay& root) {
    int missing = 0;
    walk(root, [&](const MTDisplay& node) {
        if (auto line = dynamic_cast<const MTCTLineDisplay*>(&node)) {
            const MTTextLine text = line->line();
            for (const auto& placed : text.glyphs())
                missing += placed.glyph == 0;
        } else if (auto glyph = dynamic_cast<const MTGlyphDisplay*>(&node)) {
            missing += glyph->glyph() == 0;
        } else if (auto construction = dynamic_cast<const MTGlyphConstructionDisplay*>(&node)) {
            missing += int(construction->glyphs().count(0));
        }
    });
    return missing;
}

bool finiteBox(const MTDisplay& display) {
    return std::isfinite(display.ascent()) && std::isfinite(display.descent()) &&
           std::isfinite(display.width()) && display.width() >= 0;
}

// The box and place of every node of the tree, in the order walk() visits them.
std::vector<std::array<qreal, 5>> boxes(const MTDisplay& root) {
    std::vector<std::array<qreal, 5>> result;
    walk(root, [&](const MTDisplay& node) {
        result.push_back(
            {node.position().x(), node.position().y(), node.width(), node.ascent(), node.descent()});
    });
    return result;
}

QString repeated(const QString& pattern, int times) {
    QString text;
    for (int i = 0; i < times; ++i)
        text += pattern;
    return text;
}

} // namespace

class TestTypesetCorpus : public QObject {
    Q_OBJECT

private slots:
    void corpusInEveryFont_data() {
        QTest::addColumn<QString>("font");
        for (const MathFont& font : MathFont::allCases()) {
            if (font.rawValue() != QLatin1String("LeteSansMath"))
                QTest::newRow(qPrintable(font.rawValue())) << font.rawValue();
        }
    }

    void corpusInEveryFont() {
        QFETCH(QString, font);
        const auto mathFont = MTFontManager::manager()->font(font, 20);
        const QStringList formulas = corpus::typicalFormulaCorpus(300);
        QStringList lacking;
        for (const QString& latex : formulas) {
            for (MTLineStyle style : {MTLineStyle::display, MTLineStyle::text}) {
                const auto display = layoutLatex(latex, style, mathFont);
                QVERIFY2(display, qPrintable(latex));
                QVERIFY2(finiteBox(*display), qPrintable(latex));
                if (missingGlyphs(*display) > 0 && !lacking.contains(latex))
                    lacking << latex;
            }
        }
        QVERIFY2(lacking.isEmpty(), qPrintable(lacking.join(QStringLiteral("  |  "))));
        // And they draw.
        QImage image(400, 200, QImage::Format_ARGB32_Premultiplied);
        for (const QString& latex : formulas.mid(0, 60)) {
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.translate(10, 100);
            MTGraphicsContext context(painter);
            layoutLatex(latex, MTLineStyle::display, mathFont)->draw(context);
        }
    }

    // A formula long enough to be parsed and laid out from a pool of nodes gives the very tree the plain
    // layout of its list gives, and its nodes outlive the pool's scope and can be let go on another thread.
    void largeFormulaLaysOutAsSmallOnesDo() {
        QString latex;
        for (const QString& formula : corpus::typicalFormulaCorpus(300)) {
            const QString piece = QLatin1Char('{') + formula + QStringLiteral("}+");
            if (MTMathListBuilder::build(piece + QLatin1Char('x')))
                latex += piece;
        }
        latex = repeated(latex, int(160 * 1024 / latex.size()) + 1) + QLatin1Char('x');
        MTMathListPtr list = MTMathListBuilder::build(latex);
        QVERIFY(list && list->size() > MTNodePool::kNodesBeforePool);
        MTMathListDisplayPtr pooled =
            MTTypesetter::createLineForMathList(list, defaultFont(), MTLineStyle::display);
        const auto plain = MTTypesetter::createLineForMathList(list->finalized(), defaultFont(),
                                                               MTLineStyle::display, false, false);
        const auto pooledBoxes = boxes(*pooled);
        QVERIFY(pooledBoxes.size() > MTNodePool::kNodesBeforePool);
        QVERIFY(pooledBoxes == boxes(*plain));
        std::thread([&] {
            pooled.reset();
            list.reset();
        }).join();
        QVERIFY(!pooled && !list);
    }

    void badInput_data() {
        QTest::addColumn<QString>("latex");
        const QString row = repeated(QStringLiteral("x_1 & "), 29) + QStringLiteral("y^2 \\\\ ");
        QTest::newRow("30x30 matrix in brackets")
            << "\\left[ \\begin{matrix}" + repeated(row, 30) + "\\end{matrix} \\right]";
        QTest::newRow("200 nested fractions") << repeated(QStringLiteral("\\frac1"), 200) + "x";
        QTest::newRow("radical of a radical of a matrix")
            << "\\sqrt{\\sqrt[3]{\\begin{pmatrix} a & b \\\\ c & d \\end{pmatrix}}}";
        QTest::newRow("accent over an empty group") << "\\hat{} + \\widehat{{}} + \\vec{}^2_3";
        QTest::newRow("empty delimited group") << "\\left( \\right) \\left. \\right.";
        QTest::newRow("empty constructs")
            << "\\frac{}{} \\sqrt{} \\sqrt[]{} \\overline{} \\underline{} \\binom{}{}";
        QTest::newRow("angle and double bar delimiters")
            << "\\left\\langle x \\right\\rangle \\left\\| \\frac{a}{b} \\right\\|";
        QTest::newRow("nested delimiters")
            << repeated(QStringLiteral("\\left( "), 100) + "x" + repeated(QStringLiteral("\\right) "), 100);
        QTest::newRow("scripts on everything") << "\\sum^a_b \\int^a_b \\frac{a}{b}^2_3 \\sqrt{x}^2 "
                                                  "\\left(x\\right)^2 \\overline{x}^2 \\lim^a_b \\hat{x}_1^2";
    }

    void badInput() {
        QFETCH(QString, latex);
        const MTMathListPtr list = MTMathListBuilder::build(latex);
        QVERIFY(list);
        for (MTLineStyle style : {MTLineStyle::display, MTLineStyle::text, MTLineStyle::scriptOfScript}) {
            const auto display = MTTypesetter::createLineForMathList(list, defaultFont(), style);
            QVERIFY(display);
            QVERIFY(finiteBox(*display));
            QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.translate(10, 100);
            MTGraphicsContext context(painter);
            display->draw(context);
        }
    }
};

QTEST_MAIN(TestTypesetCorpus)
#include "test_typeset_corpus.moc"
