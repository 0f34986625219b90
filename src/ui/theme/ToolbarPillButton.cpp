#include "ui/theme/ToolbarPillButton.h"

#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemePainting.h"

#include <QPainter>

namespace zepla::ui {

namespace {
constexpr int symbolSize = 17; // a 14-point symbol of medium weight
}

ToolbarPillButton::ToolbarPillButton(const QString& systemImage, bool isSelected, const QColor& tint,
                                     std::function<void()> action, QWidget* parent)
    : ThemeButton(isSelected, tint, std::move(action), parent), m_systemImage(systemImage) {
    setMinimumSize(minimumSizeHint());
}

void ToolbarPillButton::setSystemImage(const QString& name) {
    m_systemImage = name;
    update();
}

QSize ToolbarPillButton::sizeHint() const {
    return minimumSizeHint();
}
QSize ToolbarPillButton::minimumSizeHint() const {
    return {40, 33};
}

void ToolbarPillButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF pill(QPointF(rect().center()) -
                          QPointF(pillSize.width() / 2.0 - 0.5, pillSize.height() / 2.0 - 0.5),
                      QSizeF(pillSize));
    const QPainterPath shape = Theme::capsule(pill);
    const qreal on = qBound<qreal>(0, selectionProgress(), 1);

    // Selected: a capsule of the tint (the drawn form of tinted glass); otherwise a clear one.
    painter.fillPath(shape, Color::withOpacity(tint(), on));

    const QColor foreground = Color::mix(Color::primary(this, 0.75), Qt::white, on);
    const QPixmap symbol =
        Symbols::pixmap(m_systemImage, symbolSize, foreground, isSelected(), devicePixelRatioF());
    painter.drawPixmap(QPointF(pill.center()) - QPointF(symbolSize / 2.0, symbolSize / 2.0), symbol);

    Theme::hoverDarken(painter, shape, hoverProgress());
}

} // namespace zepla::ui
