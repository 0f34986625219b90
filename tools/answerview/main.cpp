// answerview: renders a Markdown answer with its formulas and writes it as a PNG.
//   answerview ANSWER.md OUT.png [--width POINTS]
// Run it with QT_SCALE_FACTOR=2 to see a screen of device pixel ratio 2.
#include "ui/markdown/MarkdownContent.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

#include <cstdio>

namespace {

// The height shown at a time.
constexpr int tileHeight = 1000;

void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until the answer has been read and measured whole.
bool waitUntilComplete(const zepla::ui::MarkdownContent& content) {
    for (int waited = 0; waited < 600000; waited += 10) {
        if (content.isComplete())
            return true;
        spin(10);
    }
    return content.isComplete();
}

// Draws the answer strip by strip as a reader scrolling through it sees it: a long answer makes views for
// what is shown and about a screen around it.
void drawScrolled(QScrollArea& area, QImage& image) {
    QScrollBar* bar = area.verticalScrollBar();
    QPainter painter(&image);
    for (int top = 0;; top += tileHeight) {
        bar->setValue(top);
        auto* content = static_cast<zepla::ui::MarkdownContent*>(area.widget());
        QList<QWidget*> views;
        for (int steady = 0; steady < 3;) {
            spin(20);
            const QList<QWidget*> now = content->blockViews();
            steady = now == views ? steady + 1 : 0;
            views = now;
        }
        painter.drawPixmap(QPoint(0, bar->value()), area.viewport()->grab());
        if (bar->value() >= bar->maximum())
            return;
    }
}

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
    QScrollArea area;
    area.setAttribute(Qt::WA_DontShowOnScreen);
    area.setFrameShape(QFrame::NoFrame);
    area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area.setWidgetResizable(true);
    auto* answer = new zepla::ui::MarkdownContent(QString::fromUtf8(file.readAll()), Qt::black);
    area.setWidget(answer);
    area.resize(width, tileHeight);
    area.show();
    const zepla::ui::MarkdownContent& content = *answer;
    if (!waitUntilComplete(content)) {
        std::fputs("answerview: the answer was not laid out within ten minutes\n", stderr);
        return 1;
    }
    const qreal ratio = content.devicePixelRatioF();
    QImage image(QSize(width, std::max(content.height(), 1)) * ratio, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        std::fprintf(stderr, "answerview: the answer is too tall for one image (%d points)\n",
                     content.height());
        return 1;
    }
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    drawScrolled(area, image);
    if (!image.save(arguments[1])) {
        std::fprintf(stderr, "answerview: cannot write %s\n", qPrintable(arguments[1]));
        return 1;
    }
    return 0;
}
