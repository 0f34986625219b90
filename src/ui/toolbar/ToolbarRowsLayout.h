// Lays the toolbar's two groups out: on one row, the leading group at the left and the trailing group at the
// right, while both fit; on two rows, one group each, when the window is narrower. Its minimum width is that
// of the wider group, so no control is ever cut off, and it sets its owner's height to the rows it needs.
#pragma once

#include <QLayout>

namespace zepla::ui {

class ToolbarRowsLayout : public QLayout {
public:
    static constexpr int rowSpacing = 4;
    static constexpr int groupSpacing = 8;

    explicit ToolbarRowsLayout(QWidget* parent);
    ~ToolbarRowsLayout() override;

    void setGroups(QWidget* leading, QWidget* trailing);
    // Whether a width takes two rows.
    bool wraps(int width) const;

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
    QList<QLayoutItem*> m_items;
};

} // namespace zepla::ui
