// The theme's palette: the named colours, the brand gradient, the annotation presets and the application
// tint.
#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QList>
#include <QRectF>

class QWidget;

namespace zepla::ui::Color {

// A colour from a 24-bit 0xRRGGBB value and an opacity.
QColor hex(quint32 rgb, qreal opacity = 1.0);

QColor brandBlue();     // 00C2FF, the common accent
QColor brandBlueDeep(); // 0B3E75, the markup toggles and the gradient's lower end
QColor markerAmber();   // F2A93B, the default colour of new annotations
QColor inkSlate();      // 3A3A3C, the main-action, zoom and page buttons
QColor paperCream();    // FBF7EE, landing, unlock and unsupported-file backgrounds

// The accent blue of the desktop the design follows (007AFF); the tint and panel backgrounds are mixed from
// it.
QColor systemBlue();

// brandBlue at the top edge of `rect`, brandBlueDeep at its bottom edge.
QLinearGradient brandGradient(const QRectF& rect);

// The six colours of the toolbar's swatches, markerAmber first.
const QList<QColor>& annotationPresets();

// White blended 2.5 % of the way toward systemBlue: the background of the PDF view and the document toolbars.
QColor appTint();

// The foreground colours that follow the widget's palette (light or dark), at an opacity.
QColor primary(const QWidget* widget, qreal opacity = 1.0);
QColor secondary(const QWidget* widget, qreal opacity = 1.0);

// `colour` with its alpha multiplied by `opacity`.
QColor withOpacity(QColor colour, qreal opacity);
// The colour `fraction` (0 to 1) of the way from `from` to `to`, alpha included.
QColor mix(const QColor& from, const QColor& to, qreal fraction);

} // namespace zepla::ui::Color
