// A straight line with an optional ending at each end. Its rectangle is fitted tightly around the stroke
// and its endings, so hit tests and the eraser meet the line and not the empty page around it.
#pragma once

#include "Annotation.h"
#include "AnnotationTool.h"

namespace zepla::annotations {

class LineAnnotation : public Annotation {
public:
    QByteArray subtype() const override { return "Line"; }
    Appearance appearance() const override;
    pdf::ObjectValue::Entries entries() const override;

    QPointF startPoint() const { return m_start; }
    QPointF endPoint() const { return m_end; }
    // Moves the ends and fits the rectangle to the new drawing; so do the style and width setters.
    void setPoints(const QPointF& start, const QPointF& end);
    LineEndStyle startLineStyle() const { return m_startStyle; }
    LineEndStyle endLineStyle() const { return m_endStyle; }
    void setLineStyles(LineEndStyle start, LineEndStyle end);
    void setWidth(qreal width);

    // The stroke width when no border is set.
    static constexpr qreal defaultWidth = 2;
    // The size of the endings of a line of width `width`.
    static qreal endingSize(qreal width);

private:
    void draw(Appearance& a) const;
    void fitBounds();

    QPointF m_start;
    QPointF m_end;
    LineEndStyle m_startStyle = LineEndStyle::none;
    LineEndStyle m_endStyle = LineEndStyle::none;
};

} // namespace zepla::annotations
