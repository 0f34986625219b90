// Shapes and fills shared by the theme's controls: capsules, the hover darkening and the sidebar's panel
// colour.
#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;
class QWidget;

namespace zepla::ui::Theme {

// A rounded rectangle whose corner radius is half its shorter side.
QPainterPath capsule(const QRectF& rect);

// Lays black over `shape`, 14 % at full `amount` (0 to 1), nothing at 0.
void hoverDarken(QPainter& painter, const QPainterPath& shape, qreal amount);

// The drawn stand-in for the tinted glass panel: white, a frosted layer that shows white, and system blue at
// 2.5 %, which add up to one solid colour.
QColor liquidGlassBluePanelColour();
// Gives `widget` that background; its children paint over it.
void liquidGlassBluePanel(QWidget* widget);

} // namespace zepla::ui::Theme
