#include "ui/assistant/BandedScrollBar.h"

#include "ui/assistant/PanelStyle.h"

#include <QCursor>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

namespace zepla::ui {

BandedScrollBar::BandedScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {}

// The style's own drawing, the part pressed or under the pointer highlighted as usual. Some styles draw
// differently under a clip, so each band is drawn whole into an image of its own and then copied.
void BandedScrollBar::paintEvent(QPaintEvent* event) {
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    option.activeSubControls = QStyle::SC_None;
    if (isSliderDown()) {
        option.activeSubControls = QStyle::SC_ScrollBarSlider;
        option.state |= QStyle::State_Sunken;
    } else if (underMouse()) {
        option.activeSubControls = style()->hitTestComplexControl(QStyle::CC_ScrollBar, &option,
                                                                  mapFromGlobal(QCursor::pos()), this);
    }
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    const QRect area = event->rect();
    for (int top = area.top(); top <= area.bottom(); top += paintBandLines) {
        const int lines = std::min(paintBandLines, area.bottom() + 1 - top);
        QImage band(QSize(width(), lines) * ratio, QImage::Format_ARGB32_Premultiplied);
        band.setDevicePixelRatio(ratio);
        band.fill(Qt::transparent);
        QPainter bandPainter(&band);
        bandPainter.translate(0, -top);
        style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &bandPainter, this);
        bandPainter.end();
        painter.drawImage(QPoint(0, top), band);
    }
}

} // namespace zepla::ui
