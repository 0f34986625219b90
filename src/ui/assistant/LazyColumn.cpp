#include "ui/assistant/LazyColumn.h"

#include "ui/markdown/NearbyViews.h"
#include "ui/markdown/SliceBudget.h"

#include <QEvent>
#include <QTimer>

namespace zepla::ui {

namespace {
int rowHeight(const QWidget& row, int width) {
    return std::max(row.hasHeightForWidth() ? row.heightForWidth(width) : row.sizeHint().height(), 0);
}
} // namespace

LazyColumn::LazyColumn(MakeView makeView, Estimate estimate, int margin, int spacing, QWidget* parent)
    : QWidget(parent), m_makeView(std::move(makeView)), m_estimate(std::move(estimate)), m_margin(margin),
      m_spacing(spacing) {}

void LazyColumn::addHeader(QWidget* row) {
    row->setParent(this);
    m_headers.append(row);
    relayout();
}

void LazyColumn::setFooter(QWidget* row) {
    delete m_footer;
    m_footer = row;
    if (row) {
        row->setParent(this);
        row->show();
    }
    relayout();
}

void LazyColumn::truncate(qsizetype count) {
    while (qsizetype(m_entries.size()) > count) {
        delete m_entries.back().view;
        m_entries.pop_back();
    }
    relayout();
    materialize();
}

void LazyColumn::append(qsizetype count) {
    m_entries.resize(m_entries.size() + size_t(count));
    relayout();
    materialize();
}

QWidget* LazyColumn::view(qsizetype index) const {
    return index >= 0 && index < count() ? m_entries[size_t(index)].view : nullptr;
}

QList<QWidget*> LazyColumn::liveViews() const {
    QList<QWidget*> views;
    for (const Entry& entry : m_entries) {
        if (entry.view)
            views.append(entry.view);
    }
    return views;
}

void LazyColumn::setVisibleArea(int top, int height) {
    if (top == m_visibleTop && height == m_visibleHeight)
        return;
    m_visibleTop = top;
    m_visibleHeight = height;
    materialize();
}

void LazyColumn::relayout() {
    if (m_inLayout)
        return;
    m_inLayout = true;
    const int inner = std::max(width() - 2 * m_margin, 0);

    // The first entry reaching into the visible part keeps its place on screen.
    qsizetype anchor = -1;
    int anchorTop = 0;
    if (m_visibleTop > 0) {
        for (size_t index = 0; index < m_tops.size() && index < m_entries.size(); ++index) {
            if (m_tops[index] + m_entries[index].height > m_visibleTop) {
                anchor = qsizetype(index);
                anchorTop = m_tops[index];
                break;
            }
        }
    }

    int y = m_margin;
    bool any = false;
    const auto place = [&](QWidget* row, int height) {
        if (any)
            y += m_spacing;
        any = true;
        const int top = y;
        if (row)
            row->setGeometry(m_margin, top, inner, height);
        y += height;
        return top;
    };
    for (QWidget* header : std::as_const(m_headers)) {
        if (!header->isHidden())
            place(header, rowHeight(*header, inner));
    }
    m_tops.resize(m_entries.size());
    for (size_t index = 0; index < m_entries.size(); ++index) {
        Entry& entry = m_entries[index];
        if (entry.view) {
            entry.height = rowHeight(*entry.view, inner);
            entry.width = inner;
        } else if (entry.width != inner) {
            entry.height = m_estimate(qsizetype(index), inner);
            entry.width = inner;
        }
        m_tops[index] = place(entry.view, entry.height);
    }
    if (m_footer && !m_footer->isHidden())
        place(m_footer, rowHeight(*m_footer, inner));
    const int height = y + m_margin;
    if (height != this->height())
        resize(width(), height);
    m_inLayout = false;
    if (anchor >= 0 && m_tops[size_t(anchor)] != anchorTop)
        emit shifted(m_tops[size_t(anchor)] - anchorTop);
}

// Makes views for the entries within about a screen of the visible part, for one slice of time at most (the
// rest on the next turn), and drops those further away than three screens.
void LazyColumn::materialize() {
    if (width() <= 0 || m_entries.empty())
        return;
    const SliceBudget budget;
    const NearbyViews nearby(m_visibleTop, m_visibleHeight);
    bool made = false;
    bool unfinished = false;
    for (size_t index = 0; index < m_entries.size() && index < m_tops.size(); ++index) {
        Entry& entry = m_entries[index];
        const int top = m_tops[index];
        const int bottom = top + entry.height;
        if (!entry.view && nearby.wants(top, bottom)) {
            if (budget.spent()) {
                unfinished = true;
                continue;
            }
            entry.view = m_makeView(qsizetype(index));
            entry.view->setParent(this);
            entry.view->show();
            made = true;
        } else if (entry.view && nearby.drops(top, bottom)) {
            delete entry.view;
            entry.view = nullptr;
        }
    }
    if (made) {
        relayout();
        // Measured views may have moved others into reach.
        scheduleMaterialize();
    }
    if (unfinished)
        scheduleMaterialize();
}

void LazyColumn::scheduleMaterialize() {
    if (m_materializeQueued)
        return;
    m_materializeQueued = true;
    QTimer::singleShot(SliceBudget::nextSliceDelay(), this, [this] {
        m_materializeQueued = false;
        materialize();
    });
}

bool LazyColumn::event(QEvent* event) {
    if (event->type() != QEvent::LayoutRequest)
        return QWidget::event(event);
    relayout();
    scheduleMaterialize();
    return true;
}

void LazyColumn::resizeEvent(QResizeEvent*) {
    if (m_inLayout)
        return;
    relayout();
    materialize();
}

void LazyColumn::showEvent(QShowEvent*) {
    relayout();
    materialize();
}

} // namespace zepla::ui
