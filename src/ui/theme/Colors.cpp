#include "ui/theme/Colors.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace zepla::ui::Color {

QColor hex(quint32 rgb, qreal opacity) {
    QColor colour = QColor::fromRgb(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
    colour.setAlphaF(float(opacity));
    return colour;
}

QColor brandBlue() {
    return hex(0x00C2FF);
}
QColor brandBlueDeep() {
    return hex(0x0B3E75);
}
QColor markerAmber() {
    return hex(0xF2A93B);
}
QColor inkSlate() {
    return hex(0x3A3A3C);
}
QColor paperCream() {
    return hex(0xFBF7EE);
}
QColor systemBlue() {
    return hex(0x007AFF);
}

QLinearGradient brandGradient(const QRectF& rect) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, brandBlue());
    gradient.setColorAt(1, brandBlueDeep());
    return gradient;
}

const QList<QColor>& annotationPresets() {
    static const QList<QColor> presets{markerAmber(), hex(0xE6483C), hex(0x3C8CE6),
                                       hex(0x3CB566), hex(0x9B59D0), hex(0x1C1C1E)};
    return presets;
}

QColor appTint() {
    static const QColor tint = mix(Qt::white, systemBlue(), 0.025);
    return tint;
}

QColor mix(const QColor& from, const QColor& to, qreal fraction) {
    const auto at = [fraction](float a, float b) { return a + (b - a) * float(fraction); };
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    return QColor::fromRgbF(at(a.redF(), b.redF()), at(a.greenF(), b.greenF()), at(a.blueF(), b.blueF()),
                            at(a.alphaF(), b.alphaF()));
}

QColor withOpacity(QColor colour, qreal opacity) {
    colour.setAlphaF(float(colour.alphaF() * opacity));
    return colour;
}

QColor primary(const QWidget* widget, qreal opacity) {
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    return withOpacity(palette.color(QPalette::WindowText), opacity);
}

// The secondary label colour of the design is its primary colour at half strength.
QColor secondary(const QWidget* widget, qreal opacity) {
    return primary(widget, 0.5 * opacity);
}

} // namespace zepla::ui::Color
