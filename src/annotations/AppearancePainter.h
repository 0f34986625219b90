// Paints an appearance live with QPainter, the painter already mapping page space to the device.
#pragma once

#include "Appearance.h"

#include <QPen>

class QPainter;

namespace zepla::annotations {

// Leaves the painter's state as it found it.
void paintAppearance(QPainter& painter, const Appearance& appearance);

// The pen a stroke of the appearance is painted with.
QPen strokePen(const QColor& color, const StrokeStyle& style);

} // namespace zepla::annotations
