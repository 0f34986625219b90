#include "PageLayout.h"

#include <algorithm>
#include <cmath>

namespace zepla::pdfview {

void PageLayout::setPageSizes(std::vector<QSizeF> sizes) {
    m_sizes = std::move(sizes);
    m_rects.assign(m_sizes.size(), QRectF());
    m_contentSize = {};
}

double PageLayout::fitWidthScale(double viewportWidth, bool pageBreaks) const {
    double widest = 0;
    for (const QSizeF& s : m_sizes)
        widest = std::max(widest, s.width());
    const double room = viewportWidth - 2 * margin(pageBreaks);
    if (widest <= 0 || room <= 0)
        return 1.0;
    return room / widest;
}

void PageLayout::layout(double scale, double viewportWidth, bool pageBreaks) {
    const double edge = margin(pageBreaks);
    double widest = 0;
    for (const QSizeF& s : m_sizes)
        widest = std::max(widest, s.width() * scale);
    const double contentWidth = std::max(viewportWidth, widest + 2 * edge);
    double y = edge;
    for (size_t i = 0; i < m_sizes.size(); ++i) {
        const QSizeF size = m_sizes[i] * scale;
        // Whole-pixel origins keep tiles sharp.
        m_rects[i] = QRectF(QPointF(std::floor((contentWidth - size.width()) / 2), std::round(y)), size);
        y += size.height() + (i + 1 < m_sizes.size() ? edge : 0.0);
    }
    m_contentSize = QSizeF(contentWidth, m_sizes.empty() ? 0.0 : y + edge);
}

int PageLayout::firstPageEndingBelow(double y) const {
    const auto it = std::upper_bound(m_rects.begin(), m_rects.end(), y,
                                     [](double value, const QRectF& r) { return value < r.bottom(); });
    return int(it - m_rects.begin());
}

int PageLayout::pageAt(const QPointF& point, bool nearest) const {
    if (m_rects.empty())
        return -1;
    const int candidate = std::min(firstPageEndingBelow(point.y()), pageCount() - 1);
    if (m_rects[size_t(candidate)].contains(point))
        return candidate;
    if (!nearest)
        return -1;
    // In a gap the candidate is the page below; the page above may be closer.
    if (candidate > 0 && point.y() < m_rects[size_t(candidate)].top()) {
        const double below = m_rects[size_t(candidate)].top() - point.y();
        const double above = point.y() - m_rects[size_t(candidate - 1)].bottom();
        if (above < below)
            return candidate - 1;
    }
    return candidate;
}

std::pair<int, int> PageLayout::pagesBetween(double top, double bottom) const {
    const int first = firstPageEndingBelow(top);
    int last = first - 1;
    while (last + 1 < pageCount() && m_rects[size_t(last + 1)].top() < bottom)
        ++last;
    return {first, last};
}

} // namespace zepla::pdfview
