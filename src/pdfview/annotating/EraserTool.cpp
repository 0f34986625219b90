// The eraser of the annotating view. Whole-stroke mode takes every annotation it touches off the page;
// precise mode cuts ink strokes into the runs of points left outside its circle and takes other kinds off
// whole. What one mouse event erases is one undo step. While the tool is active a circle of the eraser's
// size at the current zoom stands in for the pointer.
#include "AnnotatingPDFView.h"

#include "annotations/FileAnnotation.h"
#include "annotations/InkAnnotation.h"

#include <QPainter>

#include <cmath>

namespace zepla::pdfview {

using annotations::EraserMode;

// The circle that follows the mouse; it never takes a mouse event.
class EraserCursorOverlay : public QWidget {
public:
    explicit EraserCursorOverlay(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    std::optional<QPointF> center;
    qreal diameter = 20;

protected:
    void paintEvent(QPaintEvent*) override {
        if (!center)
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF square(*center - QPointF(diameter / 2, diameter / 2), QSizeF(diameter, diameter));
        painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.9f), 2.5));
        painter.drawEllipse(square.adjusted(-0.5, -0.5, 0.5, 0.5));
        painter.setPen(QPen(QColor::fromRgbF(0, 0, 0, 0.75f), 1));
        painter.drawEllipse(square);
    }
};

namespace {

qreal distanceToSegment(const QPointF& p, const QPointF& a, const QPointF& b) {
    const QPointF ab = b - a;
    const qreal length2 = QPointF::dotProduct(ab, ab);
    const qreal t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
    const QPointF d = p - (a + t * ab);
    return std::hypot(d.x(), d.y());
}

QColor colorFrom(const std::vector<std::vector<double>>& arrays, double alpha, const QColor& fallback) {
    if (arrays.empty() || arrays.front().size() != 3)
        return fallback;
    const auto& c = arrays.front();
    QColor color = QColor::fromRgbF(float(c[0]), float(c[1]), float(c[2]));
    if (alpha > 0 && alpha < 1)
        color.setAlphaF(float(alpha));
    return color;
}

} // namespace

qreal AnnotatingPDFView::eraserRadius() const {
    return std::max((m_toolState ? m_toolState->eraserSize() : 20) * 0.5, 1.0);
}

QList<QPointF> AnnotatingPDFView::flattenedPoints(const QPainterPath& path, int samplesPerCurve) {
    const int n = std::max(samplesPerCurve, 1);
    QList<QPointF> points;
    QPointF current(0, 0);
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo() || e.isLineTo()) {
            current = e;
            points.append(current);
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            const QPointF c1 = e, c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
            for (int k = 1; k <= n; ++k) {
                const qreal t = qreal(k) / n, u = 1 - t;
                points.append(k == n ? end
                                     : u * u * u * current + 3 * u * u * t * c1 + 3 * u * t * t * c2 +
                                           t * t * t * end);
            }
            current = end;
            i += 2;
        }
    }
    return points;
}

// A line is touched where the circle meets its stroke, not anywhere in its box; other kinds by their box.
bool AnnotatingPDFView::eraserTouches(const pdf::AnnotationInfo& annotation, const QPointF& c,
                                      qreal r) const {
    if (!annotation.rect.adjusted(-r, -r, r, r).contains(c))
        return false;
    if (annotation.subtype != QLatin1String("Line"))
        return true;
    const auto ends = document()->annotationNumberArrays(annotation.handle, "L");
    if (ends.empty() || ends.front().size() != 4)
        return true;
    const auto& l = ends.front();
    const qreal width = std::max(document()->annotationNumber(annotation.handle, "BS/W"), 1.0);
    return distanceToSegment(c, QPointF(l[0], l[1]), QPointF(l[2], l[3])) <= r + width / 2;
}

void AnnotatingPDFView::eraseAnnotation(const QPointF& viewPoint) {
    if (!document() || !m_toolState)
        return;
    const int pageIndex = pageForPoint(viewPoint, true);
    if (pageIndex < 0)
        return;
    const QPointF c = convertToPage(viewPoint, pageIndex);
    const qreal r = eraserRadius();
    const bool precise = m_toolState->eraserMode() == EraserMode::precise;
    auto list = document()->annotations(pageIndex);
    if (!list)
        return;
    const pdf::PageHandle page = document()->page(pageIndex);
    for (const pdf::AnnotationInfo& info : list.value()) {
        if (!eraserTouches(info, c, r))
            continue;
        if (precise && info.subtype == QLatin1String("Ink"))
            splitInkAnnotation(info, pageIndex, c, r);
        else
            removeAnnotation(std::make_shared<annotations::FileAnnotation>(info), page);
    }
}

void AnnotatingPDFView::splitInkAnnotation(const pdf::AnnotationInfo& ink, int pageIndex, const QPointF& c,
                                           qreal r) {
    std::vector<QList<QPointF>> runs;
    bool erased = false;
    for (const std::vector<double>& coordinates : document()->annotationNumberArrays(ink.handle, "InkList")) {
        QList<QPointF> stroke;
        for (std::size_t i = 0; i + 1 < coordinates.size(); i += 2)
            stroke.append(QPointF(coordinates[i], coordinates[i + 1]));
        QList<QPointF> run;
        for (const QPointF& p : flattenedPoints(annotations::InkAnnotation::smoothedPath(stroke), 12)) {
            if (std::hypot(p.x() - c.x(), p.y() - c.y()) > r) {
                run.append(p);
                continue;
            }
            erased = true;
            if (run.size() >= 2)
                runs.push_back(run);
            run.clear();
        }
        if (run.size() >= 2)
            runs.push_back(run);
    }
    if (!erased)
        return;
    const double width = document()->annotationNumber(ink.handle, "BS/W");
    const QColor color = colorFrom(document()->annotationNumberArrays(ink.handle, "C"),
                                   document()->annotationNumber(ink.handle, "CA"), m_toolState->color());
    const pdf::PageHandle page = document()->page(pageIndex);
    if (!removeAnnotation(std::make_shared<annotations::FileAnnotation>(ink), page))
        return;
    for (const QList<QPointF>& run : runs) {
        std::shared_ptr<annotations::Annotation> piece =
            annotations::InkAnnotation::through(run, color, width > 0 ? width : m_toolState->lineWidth());
        addAnnotation(piece, page);
    }
}

void AnnotatingPDFView::updateEraserVisual(std::optional<QPointF> viewPoint) {
    if (!m_eraserOverlay) {
        m_eraserOverlay = new EraserCursorOverlay(viewport());
        m_eraserOverlay->setGeometry(viewport()->rect());
    }
    const bool show = viewPoint && m_toolState && m_toolState->tool() == annotations::AnnotationTool::eraser;
    if (show) {
        m_eraserOverlay->setGeometry(viewport()->rect());
        m_eraserOverlay->raise();
        m_eraserOverlay->show();
        m_eraserOverlay->center = viewPoint;
        m_eraserOverlay->diameter = m_toolState->eraserSize() * scaleFactor();
    } else {
        m_eraserOverlay->center.reset();
    }
    // The circle stands in for the pointer, which is hidden over the pages while it shows.
    if (show != m_eraserCursorHidden) {
        m_eraserCursorHidden = show;
        refreshToolCursor();
    }
    m_eraserOverlay->update();
}

std::optional<QPointF> AnnotatingPDFView::eraserCircleCenter() const {
    return m_eraserOverlay ? m_eraserOverlay->center : std::nullopt;
}

qreal AnnotatingPDFView::eraserCircleDiameter() const {
    return m_eraserOverlay ? m_eraserOverlay->diameter : 0;
}

} // namespace zepla::pdfview
