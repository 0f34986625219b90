// The content of a long scrolling column: a few rows at the top and one at the bottom that always exist, and
// between them any number of entries whose views exist only near the visible part.
#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

namespace zepla::ui {

// Rows are laid out by hand, one under the other, each as tall as it asks to be at the column's width. An
// entry's view is made when the entry comes within about a screen of the visible part and dropped when it
// is more than three screens away. Its height is measured while it has a view and kept for that width;
// entries never measured at the current width get an estimate. Views are made in slices of
// time, so that no turn of the event loop takes much more than a frame, and when rows above the
// visible part turn out taller or shorter than thought, `shifted` says by how much, so the scroll area can
// keep what is on screen in place.
class LazyColumn : public QWidget {
    Q_OBJECT
public:
    using MakeView = std::function<QWidget*(qsizetype index)>;
    using Estimate = std::function<int(qsizetype index, int width)>;

    LazyColumn(MakeView makeView, Estimate estimate, int margin, int spacing, QWidget* parent = nullptr);

    // A row above the entries, after those added before; hidden rows take no room.
    void addHeader(QWidget* row);
    // The row under the entries, replacing and deleting the one before; null for none.
    void setFooter(QWidget* row);
    QWidget* footer() const { return m_footer; }

    qsizetype count() const { return qsizetype(m_entries.size()); }
    // Keeps the first `count` entries and deletes the views of the others.
    void truncate(qsizetype count);
    // Adds `count` entries at the end.
    void append(qsizetype count);
    // Null while the entry has no view.
    QWidget* view(qsizetype index) const;
    // The entries that have views now, in order.
    QList<QWidget*> liveViews() const;

    // The part of the column on screen, in its own coordinates.
    void setVisibleArea(int top, int height);
    // Places every row again and sizes the column to hold them; rows that change size ask for it themselves.
    void relayout();

signals:
    // What is above the visible part grew (or shrank) by `delta`.
    void shifted(int delta);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Rows that changed while the column was hidden could not say so.
    void showEvent(QShowEvent* event) override;

private:
    struct Entry {
        QWidget* view = nullptr;
        // Measured or estimated at `width`.
        int height = 0;
        int width = -1;
    };

    void materialize();
    void scheduleMaterialize();

    MakeView m_makeView;
    Estimate m_estimate;
    int m_margin;
    int m_spacing;
    QList<QWidget*> m_headers;
    QPointer<QWidget> m_footer;
    std::vector<Entry> m_entries;
    // Entry tops of the last layout.
    std::vector<int> m_tops;
    int m_visibleTop = 0;
    int m_visibleHeight = 0;
    bool m_materializeQueued = false;
    bool m_inLayout = false;
};

} // namespace zepla::ui
