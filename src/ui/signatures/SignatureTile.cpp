#include "ui/signatures/SignatureTile.h"

#include "ui/signatures/SignaturePickerView.h"
#include "ui/theme/Colors.h"

#include <QPainter>
#include <QPainterPath>

namespace zepla::ui {

SignatureTile::SignatureTile(const QImage& image, bool active, QWidget* parent)
    : QAbstractButton(parent), m_image(image), m_active(active) {
    setFixedSize(SignaturePickerView::tileSize);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(QStringLiteral("Use this signature"));
}

QSize SignatureTile::sizeHint() const {
    return SignaturePickerView::tileSize;
}

void SignatureTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath frame;
    frame.addRoundedRect(QRectF(rect()), 8, 8);
    painter.fillPath(frame, Qt::white);
    if (!m_image.isNull()) {
        const QRectF area = QRectF(rect()).adjusted(6, 6, -6, -6);
        QSizeF fitted = QSizeF(m_image.size()).scaled(area.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(area.center() - QPointF(fitted.width(), fitted.height()) / 2, fitted),
                          m_image);
    }
    // The border lies inside the frame.
    const qreal width = m_active ? 2 : 1;
    painter.setPen(QPen(m_active ? Color::brandBlue() : Color::primary(this, 0.12), width));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = width / 2;
    painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), 8 - inset, 8 - inset);
}

} // namespace zepla::ui
