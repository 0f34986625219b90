// mathrender: typesets a LaTeX formula with the default math font and writes it as a PNG.
//   mathrender 'x^2+y_1' out.png [--size 20]
#include "display/MTGraphicsContext.h"
#include "fonts/MTFontManager.h"
#include "mathlist/MTMathListBuilder.h"
#include "typesetter/MTTypesetter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdio>

using namespace zepla::math;

namespace {

constexpr int kMargin = 4;

int usage() {
    std::fputs("usage: mathrender LATEX OUT.png [--size POINTS]\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    qreal size = MTFontManager::kDefaultFontSize;
    if (const qsizetype flag = arguments.indexOf(QStringLiteral("--size")); flag >= 0) {
        bool ok = false;
        size = arguments.value(flag + 1).toDouble(&ok);
        if (!ok || size <= 0)
            return usage();
        arguments.remove(flag, 2);
    }
    if (arguments.size() != 2)
        return usage();

    std::optional<MTParseError> error;
    const MTMathListPtr list = MTMathListBuilder::build(arguments.at(0), error);
    if (!list) {
        std::fprintf(stderr, "mathrender: parse error %d: %s\n", error ? error->code : 0,
                     error ? qPrintable(error->message) : "");
        return 1;
    }
    const auto display = MTTypesetter::createLineForMathList(
        list, MTFontManager::manager()->latinModernFont(size), MTLineStyle::display);
    display->setTextColor(QColor(Qt::black));

    const int width = int(std::ceil(display->width())) + 2 * kMargin;
    const int height = int(std::ceil(display->ascent() + display->descent())) + 2 * kMargin;
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(kMargin, kMargin + display->ascent());
    MTGraphicsContext context(painter);
    display->draw(context);
    painter.end();
    if (!image.save(arguments.at(1), "PNG")) {
        std::fprintf(stderr, "mathrender: cannot write %s\n", qPrintable(arguments.at(1)));
        return 1;
    }
    return 0;
}
