// The small read-only text the formula view shows its parse errors in.
#pragma once

#include <QLabel>

namespace zepla::math {

class MTLabel : public QLabel {
    Q_OBJECT
public:
    // Empty, without frame or background, neither editable nor selectable; long messages wrap.
    explicit MTLabel(QWidget* parent = nullptr);
};

} // namespace zepla::math
