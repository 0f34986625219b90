// The formula view's error text.
#include "view/MTLabel.h"

namespace zepla::math {

MTLabel::MTLabel(QWidget* parent) : QLabel(parent) {
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(false);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
}

} // namespace zepla::math
