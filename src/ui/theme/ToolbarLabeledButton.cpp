#include "ui/theme/ToolbarLabeledButton.h"

#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemePainting.h"

#include <QFontMetricsF>
#include <QPainter>

namespace zepla::ui {

namespace {
constexpr int padding = 11;
constexpr int spacing = 4;
constexpr int symbolSize = 15; // a symbol in the surrounding 13-point font
constexpr qreal unselectedFill = 0.14;
} // namespace

ToolbarLabeledButton::ToolbarLabeledButton(const QString& systemImage, const QString& label, bool isSelected,
                                           const QColor& tint, std::function<void()> action, QWidget* parent)
    : ThemeButton(isSelected, tint, std::move(action), parent), m_systemImage(systemImage), m_label(label) {
    setAccessibleName(label);
    setMinimumSize(minimumSizeHint());
}

QFont ToolbarLabeledButton::labelFont() const {
    QFont font = this->font();
    font.setPixelSize(12);
    font.setWeight(QFont::Medium);
    return font;
}

QSize ToolbarLabeledButton::sizeHint() const {
    const qreal text = QFontMetricsF(labelFont()).horizontalAdvance(m_label);
    return {int(std::ceil(padding + symbolSize + spacing + text + padding)), 31};
}

// Where a toolbar is short of room the button shrinks to its symbol alone; the label stays in its tooltip.
QSize ToolbarLabeledButton::minimumSizeHint() const {
    return {int(std::ceil(padding + symbolSize + padding)), 31};
}

bool ToolbarLabeledButton::showsLabel() const {
    return width() >= sizeHint().width();
}

QRectF ToolbarLabeledButton::capsuleRect() const {
    return QRectF(0, (height() - capsuleHeight) / 2.0, width(), capsuleHeight);
}

void ToolbarLabeledButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = capsuleRect();
    const QPainterPath shape = Theme::capsule(box);
    const qreal on = qBound<qreal>(0, selectionProgress(), 1);

    painter.fillPath(shape, Color::withOpacity(tint(), unselectedFill + (1 - unselectedFill) * on));

    const QColor foreground = Color::mix(Color::primary(this, 0.85), Qt::white, on);
    const QFont font = labelFont();
    const qreal textWidth = showsLabel() ? QFontMetricsF(font).horizontalAdvance(m_label) : 0;
    const qreal contentWidth = showsLabel() ? symbolSize + spacing + textWidth : symbolSize;
    const qreal left = box.center().x() - contentWidth / 2;
    painter.drawPixmap(
        QPointF(left, box.center().y() - symbolSize / 2.0),
        Symbols::pixmap(m_systemImage, symbolSize, foreground, isSelected(), devicePixelRatioF()));
    if (showsLabel()) {
        painter.setFont(font);
        painter.setPen(foreground);
        painter.drawText(QRectF(left + symbolSize + spacing, box.top(), textWidth + 1, box.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, m_label);
    }

    Theme::hoverDarken(painter, shape, hoverProgress());
}

} // namespace zepla::ui
