// Lays the toolbar out in rows: the leading group (open, sidebar, tools, markups), the current tool's
// settings and the trailing group (zoom, pages and the actions). The rows are chosen for the widest settings
// any tool has, so switching tools never changes how many rows there are, nor the toolbar's height or its
// minimum width:
// - one row while everything fits;
// - else the tool's settings on a second row of their own, while the two groups fit on the first;
// - else the leading group on the first row and the settings with the trailing group on the second, the
//   trailing group's labelled buttons shrunk to their symbols where the row needs it;
// - else one row each.
// Every row is as high as the highest control any tool shows.
#pragma once

#include <QLayout>

namespace zepla::ui {

class ToolbarRowsLayout : public QLayout {
public:
    static constexpr int rowSpacing = 4;
    static constexpr int groupSpacing = 8;

    explicit ToolbarRowsLayout(QWidget* parent);
    ~ToolbarRowsLayout() override;

    // `settings` reports as its size hint the largest size it takes for any tool.
    void setGroups(QWidget* leading, QWidget* settings, QWidget* trailing);
    // How many rows a width takes.
    int rowCount(int width) const;

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    void setGeometry(const QRect& rect) override;

private:
    enum class Arrangement { oneRow, settingsBelow, trailingBelow, rowEach };
    struct Row {
        QList<QLayoutItem*> left;  // placed from the left edge
        QList<QLayoutItem*> right; // placed against the right edge
    };

    Arrangement arrangement(int width) const;
    QList<Row> rows(Arrangement arrangement) const;
    int rowHeight() const;
    QSize margins() const;

    QList<QLayoutItem*> m_items; // leading, settings, trailing
};

} // namespace zepla::ui
