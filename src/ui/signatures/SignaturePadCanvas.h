// The pad's drawing surface: white, with a faint frame and signing line; the mouse draws strokes through
// the midpoints of its samples. Finished strokes are kept as an image, so a long stroke costs each move only
// its newest piece.
#pragma once

#include "annotations/SignatureDrawing.h"

#include <QImage>
#include <QWidget>

namespace zepla::ui {

class SignaturePadCanvas : public QWidget {
    Q_OBJECT

public:
    explicit SignaturePadCanvas(QWidget* parent = nullptr);

    const QList<annotations::SignatureDrawing::Stroke>& strokes() const { return m_strokes; }
    const annotations::SignatureDrawing::Stroke& currentStroke() const { return m_currentStroke; }
    void clear();

signals:
    void strokesChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void addPoint(const QPointF& point);
    QPainterPath liveTail() const;
    void ensureInk();

    QList<annotations::SignatureDrawing::Stroke> m_strokes;
    annotations::SignatureDrawing::Stroke m_currentStroke;
    QImage m_ink; // finished strokes and the settled part of the current one
};

} // namespace zepla::ui
