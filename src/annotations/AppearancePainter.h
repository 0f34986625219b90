// Paints an appearance live with QPainter, the painter already mapping page space to the device.
#pragma once

#include "Appearance.h"

class QPainter;

namespace zepla::annotations {

// Leaves the painter's state as it found it.
void paintAppearance(QPainter& painter, const Appearance& appearance);

} // namespace zepla::annotations
