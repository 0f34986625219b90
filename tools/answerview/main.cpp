// answerview: renders a Markdown answer with its formulas and writes it as a PNG.
//   answerview ANSWER.md OUT.png [--width POINTS]
// Run it with QT_SCALE_FACTOR=2 to see a screen of device pixel ratio 2.
#include "ui/markdown/MarkdownContent.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

int usage() {
    std::fputs("usage: answerview ANSWER.md OUT.png [--width POINTS]\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.size() != 2 && !(arguments.size() == 4 && arguments[2] == "--width"))
        return usage();
    const int width = arguments.size() == 4 ? arguments[3].toInt() : 420;
    QFile file(arguments[0]);
    if (width <= 0 || !file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "answerview: cannot read %s\n", qPrintable(arguments[0]));
        return 1;
    }
    zepla::ui::MarkdownContent content(QString::fromUtf8(file.readAll()), Qt::black);
    content.setAttribute(Qt::WA_DontShowOnScreen);
    content.resize(width, content.heightForWidth(width));
    content.show();
    const qreal ratio = content.devicePixelRatioF();
    QImage image(QSize(width, std::max(content.height(), 1)) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    content.render(&image);
    if (!image.save(arguments[1])) {
        std::fprintf(stderr, "answerview: cannot write %s\n", qPrintable(arguments[1]));
        return 1;
    }
    return 0;
}
