// Where each page of a continuous vertical layout sits: pages stacked top to bottom, centred across the
// width, with gaps between them when page breaks are shown. Pure geometry in content pixels.
#pragma once

#include <QRectF>
#include <QSizeF>

#include <utility>
#include <vector>

namespace zepla::pdfview {

class PageLayout {
public:
    // Space between pages and around them while page breaks are shown, in pixels at any scale.
    static constexpr double pageBreakGap = 12.0;

    // The pages' displayed sizes in points (crop box, rotation applied).
    void setPageSizes(std::vector<QSizeF> sizes);
    int pageCount() const { return int(m_sizes.size()); }

    // Lays the pages out at `scale` (pixels per point) in a viewport `viewportWidth` pixels wide.
    void layout(double scale, double viewportWidth, bool pageBreaks);
    // The scale at which the widest page fills the viewport's width, margins included; 1 without pages.
    double fitWidthScale(double viewportWidth, bool pageBreaks) const;

    QRectF pageRect(int index) const { return m_rects[size_t(index)]; }
    QSizeF contentSize() const { return m_contentSize; }

    // The page under a content point; -1 when none. With `nearest`, a point in a gap or a margin gives the
    // closest page instead (still -1 without pages).
    int pageAt(const QPointF& point, bool nearest) const;
    // First and last page that meet the band [top, bottom); an empty range (first > last) when none.
    std::pair<int, int> pagesBetween(double top, double bottom) const;

private:
    double margin(bool pageBreaks) const { return pageBreaks ? pageBreakGap : 0.0; }
    // Index of the first page whose bottom edge is below `y`; pageCount() when none.
    int firstPageEndingBelow(double y) const;

    std::vector<QSizeF> m_sizes;
    std::vector<QRectF> m_rects;
    QSizeF m_contentSize;
};

} // namespace zepla::pdfview
