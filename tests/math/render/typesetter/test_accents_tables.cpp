// Accents, over- and underlines, and tables: the accent on the letter's own attachment point or centred over
// several atoms, wide accents from the font's horizontal variants, scripts of an accented letter, the rules'
// boxes from the MATH constants, and table columns, alignment, row spacing and centring on the axis.
#include "TypesetTestSupport.h"

#include "display/MTAccentDisplay.h"
#include "display/MTGlyphDisplay.h"
#include "display/MTLineDisplay.h"

#include <QTest>

using namespace zepla::math;
using namespace typesettest;

namespace {

const MTFontMathTable& table() {
    return *defaultFont()->mathTable();
}

// The table display: the formula's first display, or inside a delimited environment the last display of
// the group's inside (after the left delimiter).
MTMathListDisplayPtr tableOf(const MTMathListDisplayPtr& display) {
    auto first = firstOf<MTMathListDisplay>(display);
    if (!std::dynamic_pointer_cast<MTDisplayDS>(first->subDisplays().front()))
        return first;
    const auto inside = std::dynamic_pointer_cast<MTMathListDisplay>(first->subDisplays().at(1));
    return std::dynamic_pointer_cast<MTMathListDisplay>(inside->subDisplays().back());
}

} // namespace

class TestAccentsTables : public QObject {
    Q_OBJECT

private slots:
    // Over one letter the accent's attachment point stands over the letter's; over several atoms it is
    // centred on their width.
    void accentPlacement_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<bool>("single");
        QTest::newRow("hat x") << "\\hat{x}" << true;
        QTest::newRow("hat A") << "\\hat{A}" << true;
        QTest::newRow("hat xy") << "\\hat{xy}" << false;
        QTest::newRow("bar over bar") << "\\bar{\\bar{x}}" << false;
        QTest::newRow("dot over hat") << "\\dot{\\hat{q}}" << false;
        QTest::newRow("tilde over tilde") << "\\tilde{\\tilde{x}}" << false;
    }

    void accentPlacement() {
        QFETCH(QString, latex);
        QFETCH(bool, single);
        const auto accent = firstOf<MTAccentDisplay>(layoutLatex(latex));
        QVERIFY(accent);
        const auto& mark = *accent->accent();
        const qreal markAttachment = mark.position().x() + table().getTopAccentAdjustment(mark.glyph());
        if (single) {
            const auto letter =
                std::dynamic_pointer_cast<MTCTLineDisplay>(accent->accentee()->subDisplays().front());
            const auto glyph = quint16(letter->line().glyphs().front().glyph);
            QCOMPARE(markAttachment, table().getTopAccentAdjustment(glyph));
        } else {
            QCOMPARE(markAttachment, accent->accentee()->width() / 2);
        }
        // The accent is lowered onto the letter by at most the accent base height.
        const qreal delta = std::min(accent->accentee()->ascent(), table().accentBaseHeight());
        QCOMPARE(mark.position().y(), accent->accentee()->ascent() - delta);
        QCOMPARE(accent->ascent(),
                 std::max(accent->accentee()->ascent(), mark.position().y() + mark.ascent()));
        QCOMPARE(accent->width(), accent->accentee()->width());
    }

    // A wide accent takes the widest horizontal variant that fits its base; a narrow base keeps the
    // narrowest variant even when that is wider than the base.
    void wideAccentVariants() {
        const auto narrow = firstOf<MTAccentDisplay>(layoutLatex("\\widehat{x}"));
        const auto wide = firstOf<MTAccentDisplay>(layoutLatex("\\widehat{xyzw}"));
        const quint16 base = defaultFont()->ctFont()->glyphForCodePoint(0x0302);
        const QList<quint16> variants = table().getHorizontalVariantsForGlyph(base);
        QVERIFY(variants.size() > 2);
        QCOMPARE(narrow->accent()->glyph(), variants.front());
        QVERIFY(wide->accent()->glyph() != variants.front());
        const QRectF ink = defaultFont()->ctFont()->boundingRect(wide->accent()->glyph());
        QVERIFY(ink.x() + ink.width() <= wide->accentee()->width());
        const qsizetype at = variants.indexOf(wide->accent()->glyph());
        if (at + 1 < variants.size()) {
            const QRectF next = defaultFont()->ctFont()->boundingRect(variants[at + 1]);
            QVERIFY(next.x() + next.width() > wide->accentee()->width());
        }
    }

    // \hat{x}^2: the script belongs to the letter, so the accent stays over the x alone.
    void scriptsOfAnAccentedLetter() {
        const auto display = layoutLatex("\\hat{x}^2");
        QCOMPARE(display->subDisplays().size(), std::size_t(1));
        const auto accent = firstOf<MTAccentDisplay>(display);
        QVERIFY(accent);
        const auto& inside = accent->accentee()->subDisplays();
        QCOMPARE(inside.size(), std::size_t(2));
        QCOMPARE(std::dynamic_pointer_cast<MTMathListDisplay>(inside.back())->type(),
                 MTMathListDisplay::LinePosition::superscript);
        const auto plain = firstOf<MTAccentDisplay>(layoutLatex("\\hat{x}"));
        QCOMPARE(accent->accent()->position(), plain->accent()->position());
        // The box ends at the higher of the mark and the script, as their ink does.
        const auto scriptOnly = layoutLatex("x^2");
        QCOMPARE(accent->ascent(), std::max(plain->ascent(), scriptOnly->ascent()));
        const QImage image = render(*display, QSize(80, 60), QPoint(10, 40));
        QVERIFY(std::abs((40 - inkRect(image).top()) - accent->ascent()) < 1.5);
    }

    // Only the wide accents stretch: \hat over a long base keeps the mark of \hat over one letter.
    void onlyWideAccentsStretch_data() {
        QTest::addColumn<QString>("accent");
        QTest::addColumn<bool>("wide");
        QTest::newRow("hat") << "hat" << false;
        QTest::newRow("tilde") << "tilde" << false;
        QTest::newRow("widehat") << "widehat" << true;
        QTest::newRow("widetilde") << "widetilde" << true;
    }

    void onlyWideAccentsStretch() {
        QFETCH(QString, accent);
        QFETCH(bool, wide);
        const auto one = firstOf<MTAccentDisplay>(layoutLatex("\\" + accent + "{x}"));
        const auto many = firstOf<MTAccentDisplay>(layoutLatex("\\" + accent + "{xyzw}"));
        QCOMPARE(many->accent()->glyph() != one->accent()->glyph(), wide);
        QCOMPARE(many->accent()->width() > one->accent()->width() + 1, wide);
    }

    // An accented letter typed in text is upright like its neighbours, with the mark drawn over it.
    void accentedLetterInText() {
        const auto display = layoutLatex("\\text{café}");
        QVERIFY(display);
        std::shared_ptr<MTAccentDisplay> accent;
        for (const auto& child : display->subDisplays()) {
            if (auto found = std::dynamic_pointer_cast<MTAccentDisplay>(child))
                accent = found;
        }
        QVERIFY(accent);
        const auto letter =
            std::dynamic_pointer_cast<MTCTLineDisplay>(accent->accentee()->subDisplays().front());
        QCOMPARE(letter->attributedString().string(), QStringLiteral("e"));
        QVERIFY(accent->ascent() > accent->accentee()->ascent() + 1);
        const QImage image = render(*display, QSize(80, 40), QPoint(4, 28));
        const QImage bare = render(*layoutLatex("\\text{cafe}"), QSize(80, 40), QPoint(4, 28));
        QVERIFY(image != bare);
    }

    // An upright i or j under an accent is drawn without its dot; a math italic one keeps it, as in TeX.
    void accentedIAndJ_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<QString>("letter");
        QTest::newRow("text i") << QString::fromUtf8("\\text{ï}") << QString(QChar(0x0131));
        QTest::newRow("upright j") << "\\mathrm{\\hat{j}}" << QString(QChar(0x0237));
        QTest::newRow("math italic i") << "\\hat{i}" << QString::fromUcs4(U"\U0001D456");
    }
    void accentedIAndJ() {
        QFETCH(QString, latex);
        QFETCH(QString, letter);
        const auto accent = firstOf<MTAccentDisplay>(layoutLatex(latex));
        QVERIFY(accent);
        const auto line =
            std::dynamic_pointer_cast<MTCTLineDisplay>(accent->accentee()->subDisplays().front());
        QVERIFY(line);
        QCOMPARE(line->attributedString().string(), letter);
    }

    // An accent over an empty group still has its mark, the narrowest variant, over nothing.
    void accentOverNothing() {
        const auto accent = firstOf<MTAccentDisplay>(layoutLatex("\\hat{}"));
        QVERIFY(accent);
        QCOMPARE(accent->width(), 0.0);
        QVERIFY(accent->accent()->glyph() != 0);
    }

    void lines_data() {
        QTest::addColumn<bool>("over");
        QTest::newRow("overline") << true;
        QTest::newRow("underline") << false;
    }

    // The rule's height, thickness and the box around it come from the bar constants.
    void lines() {
        QFETCH(bool, over);
        const auto line = firstOf<MTLineDisplay>(layoutLatex(over ? "\\overline{AB}" : "\\underline{gy}"));
        QVERIFY(line);
        const auto& inner = *line->inner();
        QCOMPARE(line->lineThickness(), units(40));
        if (over) {
            QCOMPARE(line->lineShiftUp(), inner.ascent() + units(120));
            QCOMPARE(line->ascent(), inner.ascent() + units(120 + 40 + 40));
            QCOMPARE(line->descent(), inner.descent());
        } else {
            QCOMPARE(line->lineShiftUp(), -(inner.descent() + units(120)));
            QCOMPARE(line->descent(), inner.descent() + units(120 + 40 + 40));
            QCOMPARE(line->ascent(), inner.ascent());
        }
        QCOMPARE(line->width(), inner.width());
    }

    // Columns as wide as their widest cell with the environment's alignment and spacing; a short row leaves
    // its last columns empty.
    void tableColumns_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<qreal>("spacing");
        QTest::newRow("matrix centred") << "\\begin{matrix} a & b \\\\ xxxx & yyyy \\\\ z \\end{matrix}"
                                        << int(MTColumnAlignment::center) << 20.0;
        QTest::newRow("pmatrix") << "\\begin{pmatrix} a & b \\\\ xxxx & yyyy \\\\ z \\end{pmatrix}"
                                 << int(MTColumnAlignment::center) << 20.0;
        QTest::newRow("cases left") << "\\begin{cases} a & b \\\\ xxxx & yyyy \\\\ z \\end{cases}"
                                    << int(MTColumnAlignment::left) << 20.0;
    }

    void tableColumns() {
        QFETCH(QString, latex);
        QFETCH(int, alignment);
        QFETCH(qreal, spacing);
        const auto grid = tableOf(layoutLatex(latex));
        QCOMPARE(grid->subDisplays().size(), std::size_t(3));
        const auto row = [&](int i) {
            return std::dynamic_pointer_cast<MTMathListDisplay>(grid->subDisplays().at(i));
        };
        QCOMPARE(row(2)->subDisplays().size(), std::size_t(1));
        const auto& a = *row(0)->subDisplays().at(0);
        const auto& wide = *row(1)->subDisplays().at(0);
        const auto& b = *row(0)->subDisplays().at(1);
        const auto& wideB = *row(1)->subDisplays().at(1);
        const qreal column = wide.width();
        const qreal expectedA = alignment == int(MTColumnAlignment::center) ? (column - a.width()) / 2 : 0;
        QCOMPARE(a.position().x(), expectedA);
        QCOMPARE(wideB.position().x(), column + spacing);
        QVERIFY(b.position().x() >= column + spacing);
    }

    // Rows a baseline skip apart, pushed apart to descent + ascent + line skip when they would touch; the
    // whole centred on the axis.
    void tableRows() {
        const auto grid = tableOf(layoutLatex(
            "\\begin{matrix} a \\\\ b \\\\ \\frac{\\frac{1}{2}}{\\frac{3}{4}} \\\\ c \\end{matrix}"));
        std::vector<MTMathListDisplayPtr> rows;
        for (const auto& child : grid->subDisplays())
            rows.push_back(std::static_pointer_cast<MTMathListDisplay>(child));
        QCOMPARE(rows.size(), std::size_t(4));
        QCOMPARE(rows[0]->position().y() - rows[1]->position().y(), 24.0);
        for (std::size_t i = 1; i < rows.size(); ++i) {
            const qreal skip = rows[i - 1]->position().y() - rows[i]->position().y();
            const qreal touching = rows[i - 1]->descent() + rows[i]->ascent();
            QCOMPARE(skip, touching > 24 ? touching + 2 : 24.0);
        }
        const qreal top = rows.front()->position().y() + rows.front()->ascent();
        const qreal bottom = rows.back()->position().y() - rows.back()->descent();
        QCOMPARE((top + bottom) / 2, kAxis);
    }

    // A sign at the front of a cell is a sign, as at the front of a formula: the cell is as wide as the
    // formula alone (or as the cell without the sign and the sign itself), not widened by the spaces of a
    // binary operator.
    void leadingSignsInCells_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<QString>("bare");
        QTest::addColumn<QString>("sign");
        QTest::newRow("matrix minus") << "\\begin{matrix} -1 \\end{matrix}"
                                      << "-1"
                                      << "";
        QTest::newRow("matrix plus") << "\\begin{matrix} +x \\end{matrix}"
                                     << "+x"
                                     << "";
        QTest::newRow("matrix pm") << "\\begin{matrix} \\pm 1 \\end{matrix}"
                                   << "\\pm 1"
                                   << "";
        QTest::newRow("pmatrix") << "\\begin{pmatrix} -1 \\end{pmatrix}"
                                 << "\\begin{pmatrix} 1 \\end{pmatrix}"
                                 << "-";
        QTest::newRow("cases") << "\\begin{cases} -x & 1 \\end{cases}"
                               << "\\begin{cases} x & 1 \\end{cases}"
                               << "-";
        QTest::newRow("cases with a condition") << "\\begin{cases} -x & x<0 \\end{cases}"
                                                << "\\begin{cases} x & x<0 \\end{cases}"
                                                << "-";
        QTest::newRow("cases, second row") << "\\begin{cases} 1 & x<0 \\\\ -x & x \\geq 0 \\end{cases}"
                                           << "\\begin{cases} 1 & x<0 \\\\ x & x \\geq 0 \\end{cases}"
                                           << "-";
        QTest::newRow("cases, sign in the condition") << "\\begin{cases} 1 & -x<0 \\end{cases}"
                                                      << "\\begin{cases} 1 & x<0 \\end{cases}"
                                                      << "-";
        QTest::newRow("bmatrix, second row") << "\\begin{bmatrix} 1 \\\\ -1 \\end{bmatrix}"
                                             << "\\begin{bmatrix} 1 \\\\ 1 \\end{bmatrix}"
                                             << "-";
        QTest::newRow("matrix, after a space") << "\\begin{matrix} \\quad -1 \\end{matrix}"
                                               << "\\begin{matrix} \\quad 1 \\end{matrix}"
                                               << "-";
        QTest::newRow("cases, after a space") << "\\begin{cases} \\, -x & 1 \\end{cases}"
                                              << "\\begin{cases} \\, x & 1 \\end{cases}"
                                              << "-";
        QTest::newRow("aligned first cell") << "\\begin{aligned} -x &= 1 \\end{aligned}"
                                            << "\\begin{aligned} x &= 1 \\end{aligned}"
                                            << "-";
    }

    void leadingSignsInCells() {
        QFETCH(QString, latex);
        QFETCH(QString, bare);
        QFETCH(QString, sign);
        const qreal width = layoutLatex(latex)->width();
        const qreal expected = layoutLatex(bare)->width() + (sign.isEmpty() ? 0 : layoutLatex(sign)->width());
        QVERIFY2(std::abs(width - expected) < 0.01,
                 qPrintable(QString("%1 against %2").arg(width).arg(expected)));
    }

    // The second cell of an aligned row goes on from the first, as TeX's "{}" there makes it: a sign at its
    // front is an operator with its spaces.
    void alignedSecondCellKeepsABinarySign() {
        const qreal signed_ = layoutLatex("\\begin{aligned} x &-1 \\end{aligned}")->width();
        const qreal bare = layoutLatex("\\begin{aligned} x &1 \\end{aligned}")->width();
        QVERIFY(signed_ > bare + layoutLatex("-")->width() + 1);
    }

    void emptyTable() {
        const auto display = layoutLatex("x \\begin{matrix} \\end{matrix} y");
        QVERIFY(display);
        const auto alone = layoutLatex("\\begin{matrix}\\end{matrix}");
        QCOMPARE(alone->width(), 0.0);
    }
};

QTEST_MAIN(TestAccentsTables)
#include "test_accents_tables.moc"
