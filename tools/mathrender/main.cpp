// mathrender: typesets LaTeX formulas with one of the math fonts and writes them as a PNG.
//   mathrender 'x^2+y_1' out.png [--size 20] [--font NAME] [--text]
//   mathrender --gallery out.png [--size 20] [--font NAME]
// The gallery stacks formulas of every construct, each in display style and, where it differs, text style,
// under its LaTeX. Needs no display: without QT_QPA_PLATFORM set it draws offscreen.
#include "display/MTGraphicsContext.h"
#include "fonts/MTFontManager.h"
#include "mathlist/MTMathListBuilder.h"
#include "typesetter/MTTypesetter.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdio>

using namespace zepla::math;

namespace {

constexpr int kMargin = 4;

constexpr const char* kGallery[] = {
    "\\sum_{i=1}^{n} i^2 = \\frac{n(n+1)(2n+1)}{6}",
    "\\int_0^\\infty e^{-x^2}\\,dx = \\frac{\\sqrt{\\pi}}{2}",
    "\\prod\\limits_{p} \\frac{1}{1-p^{-s}} \\quad \\int\\nolimits_a^b f \\quad \\lim_{x\\to 0} \\frac{\\sin "
    "x}{x}",
    "\\left(\\frac{a}{b}\\right) \\left[ \\frac{\\frac{1}{2}}{x+1} \\right] \\left\\{ x \\right. \\left| "
    "\\sum_k x_k \\right| \\left\\{ x \\middle| \\frac{x}{2} > 1 \\right\\}",
    "\\sqrt{x} + \\sqrt[3]{x} + \\sqrt{\\frac{a^2}{b_1}} + \\sqrt{\\sqrt{\\begin{matrix} a & b \\\\ c & d "
    "\\end{matrix}}}",
    "\\binom{n}{k} = \\frac{n!}{k!\\,(n-k)!} \\quad {a \\atop b} \\quad {n \\brack k}",
    "\\begin{pmatrix} a & b \\\\ c & d \\end{pmatrix} \\begin{bmatrix} 1 & 0 & 0 \\\\ 0 & 1 \\end{bmatrix} "
    "\\begin{vmatrix} x \\end{vmatrix}",
    "|x| = \\begin{cases} x & x \\geq 0 \\\\ -x & x < 0 \\end{cases}",
    "\\begin{aligned} f(x) &= (x+1)^2 \\\\ &= x^2 + 2x + 1 \\end{aligned}",
    "\\hat{x}^2 + \\bar{y} + \\vec{v} + \\tilde{n} + \\dot{a} + \\ddot{b} + \\hat{}",
    "\\widehat{xyz} \\quad \\widetilde{abc} \\quad \\overline{AB} \\quad \\underline{cd}",
    "\\text{café, naïve} \\quad \\text{Привет} \\quad x_{\\text{max}}",
    "\\left[ \\begin{matrix} 1 \\\\ 2 \\\\ 3 \\\\ 4 \\\\ 5 \\\\ 6 \\\\ 7 \\\\ 8 \\\\ 9 \\\\ 10 \\\\ 11 \\\\ "
    "12 \\\\ 13 \\\\ 14 \\\\ 15 \\\\ 16 \\\\ 17 \\\\ 18 \\\\ 19 \\\\ 20 \\\\ 21 \\\\ 22 \\\\ 23 \\\\ 24 \\\\ "
    "25 \\\\ 26 \\\\ 27 \\\\ 28 \\\\ 29 \\\\ 30 \\end{matrix} \\right]",
};

int usage() {
    std::fputs("usage: mathrender LATEX OUT.png [--size POINTS] [--font NAME] [--text]\n"
               "       mathrender --gallery OUT.png [--size POINTS] [--font NAME]\n",
               stderr);
    return 2;
}

// Removes `flag` and the value after it from the arguments; the value, or none when the flag is absent.
std::optional<QString> takeOption(QStringList& arguments, const QString& flag) {
    const qsizetype at = arguments.indexOf(flag);
    if (at < 0 || at + 1 >= arguments.size())
        return std::nullopt;
    const QString value = arguments.at(at + 1);
    arguments.remove(at, 2);
    return value;
}

bool takeFlag(QStringList& arguments, const QString& flag) {
    return arguments.removeAll(flag) > 0;
}

struct Row {
    QString caption;
    MTMathListDisplayPtr display;
};

MTMathListDisplayPtr layout(const QString& latex, const std::shared_ptr<MTFont>& font, MTLineStyle style) {
    std::optional<MTParseError> error;
    const MTMathListPtr list = MTMathListBuilder::build(latex, error);
    if (!list) {
        std::fprintf(stderr, "mathrender: parse error %d: %s in %s\n", error ? error->code : 0,
                     error ? qPrintable(error->message) : "", qPrintable(latex));
        return nullptr;
    }
    auto display = MTTypesetter::createLineForMathList(list, font, style);
    display->setTextColor(QColor(Qt::black));
    return display;
}

// The rows drawn one under the other, each under its caption when it has one.
QImage draw(const std::vector<Row>& rows) {
    const QFont captionFont(QStringLiteral("DejaVu Sans"), 9);
    const int captionHeight = QFontMetrics(captionFont).height();
    qreal width = 0;
    qreal height = kMargin;
    for (const Row& row : rows) {
        width = std::max(width, row.display->width());
        if (!row.caption.isEmpty()) {
            width = std::max<qreal>(width, QFontMetrics(captionFont).horizontalAdvance(row.caption));
            height += captionHeight;
        }
        height += row.display->ascent() + row.display->descent() + kMargin;
    }
    QImage image(std::max(int(std::ceil(width)) + 2 * kMargin, 1),
                 std::max(int(std::ceil(height)) + kMargin, 1), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    qreal y = kMargin;
    for (const Row& row : rows) {
        if (!row.caption.isEmpty()) {
            painter.setFont(captionFont);
            painter.setPen(Qt::darkGray);
            painter.drawText(QRectF(kMargin, y, image.width(), captionHeight), row.caption);
            y += captionHeight;
        }
        painter.save();
        painter.translate(kMargin, y + row.display->ascent());
        MTGraphicsContext context(painter);
        row.display->draw(context);
        painter.restore();
        y += row.display->ascent() + row.display->descent() + kMargin;
    }
    painter.end();
    return image;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    qreal size = MTFontManager::kDefaultFontSize;
    if (const auto value = takeOption(arguments, QStringLiteral("--size"))) {
        bool ok = false;
        size = value->toDouble(&ok);
        if (!ok || size <= 0)
            return usage();
    }
    const QString fontName =
        takeOption(arguments, QStringLiteral("--font")).value_or(QStringLiteral("latinmodern-math"));
    const bool gallery = takeFlag(arguments, QStringLiteral("--gallery"));
    const bool textStyle = takeFlag(arguments, QStringLiteral("--text"));
    if (arguments.size() != (gallery ? 1 : 2) || arguments.contains(QStringLiteral("--size")) ||
        arguments.contains(QStringLiteral("--font")))
        return usage();
    const auto font = MTFontManager::manager()->font(fontName, size);

    std::vector<Row> rows;
    if (gallery) {
        for (const char* formula : kGallery) {
            const QString latex = QString::fromUtf8(formula);
            for (MTLineStyle style : {MTLineStyle::display, MTLineStyle::text}) {
                auto display = layout(latex, font, style);
                if (!display)
                    return 1;
                const QString styleName =
                    style == MTLineStyle::display ? QStringLiteral("display") : QStringLiteral("text");
                rows.push_back({fontName + QStringLiteral(", ") + styleName + QStringLiteral(": ") + latex,
                                std::move(display)});
            }
        }
    } else {
        auto display = layout(arguments.at(0), font, textStyle ? MTLineStyle::text : MTLineStyle::display);
        if (!display)
            return 1;
        rows.push_back({QString(), std::move(display)});
    }

    const QString out = arguments.back();
    if (!draw(rows).save(out, "PNG")) {
        std::fprintf(stderr, "mathrender: cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
