#include "ui/toolbar/ToolbarRowsLayout.h"

#include <QWidget>

#include <algorithm>

namespace zepla::ui {

namespace {

enum { leadingItem, settingsItem, trailingItem, itemCount };

int widthOf(const QList<QLayoutItem*>& items) {
    int width = 0;
    for (const QLayoutItem* item : items)
        width += item->sizeHint().width();
    return width + std::max<int>(0, int(items.size()) - 1) * ToolbarRowsLayout::groupSpacing;
}

} // namespace

ToolbarRowsLayout::ToolbarRowsLayout(QWidget* parent) : QLayout(parent) {}

ToolbarRowsLayout::~ToolbarRowsLayout() {
    qDeleteAll(m_items);
}

void ToolbarRowsLayout::setGroups(QWidget* leading, QWidget* settings, QWidget* trailing) {
    addWidget(leading);
    addWidget(settings);
    addWidget(trailing);
}

void ToolbarRowsLayout::addItem(QLayoutItem* item) {
    m_items << item;
}

QLayoutItem* ToolbarRowsLayout::itemAt(int index) const {
    return m_items.value(index);
}

QLayoutItem* ToolbarRowsLayout::takeAt(int index) {
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

int ToolbarRowsLayout::count() const {
    return m_items.size();
}

QSize ToolbarRowsLayout::margins() const {
    const QMargins margins = contentsMargins();
    return {margins.left() + margins.right(), margins.top() + margins.bottom()};
}

ToolbarRowsLayout::Arrangement ToolbarRowsLayout::arrangement(int width) const {
    const int room = width - margins().width();
    const QLayoutItem* leading = m_items[leadingItem];
    const QLayoutItem* settings = m_items[settingsItem];
    const QLayoutItem* trailing = m_items[trailingItem];
    if (widthOf(m_items) <= room)
        return Arrangement::oneRow;
    if (leading->sizeHint().width() + groupSpacing + trailing->sizeHint().width() <= room)
        return Arrangement::settingsBelow;
    // Beside the settings the trailing group may shrink: its labelled buttons down to their symbols.
    if (settings->sizeHint().width() + groupSpacing + trailing->minimumSize().width() <= room)
        return Arrangement::trailingBelow;
    return Arrangement::rowEach;
}

QList<ToolbarRowsLayout::Row> ToolbarRowsLayout::rows(Arrangement arrangement) const {
    QLayoutItem* leading = m_items[leadingItem];
    QLayoutItem* settings = m_items[settingsItem];
    QLayoutItem* trailing = m_items[trailingItem];
    switch (arrangement) {
    case Arrangement::oneRow:
        return {{{leading}, {settings, trailing}}};
    case Arrangement::settingsBelow:
        return {{{leading}, {trailing}}, {{settings}, {}}};
    case Arrangement::trailingBelow:
        return {{{leading}, {}}, {{settings}, {trailing}}};
    case Arrangement::rowEach:
        break;
    }
    return {{{leading}, {}}, {{trailing}, {}}, {{settings}, {}}};
}

int ToolbarRowsLayout::rowCount(int width) const {
    return m_items.size() == itemCount ? int(rows(arrangement(width)).size()) : 0;
}

int ToolbarRowsLayout::rowHeight() const {
    int height = 0;
    for (const QLayoutItem* item : m_items)
        height = std::max(height, item->sizeHint().height());
    return height;
}

QSize ToolbarRowsLayout::sizeHint() const {
    if (m_items.size() != itemCount)
        return {};
    return QSize(widthOf(m_items), rowHeight()) + margins();
}

// Each group alone on a row, the trailing one shrunk: the least width at which nothing is cut off, the same
// for every tool.
QSize ToolbarRowsLayout::minimumSize() const {
    if (m_items.size() != itemCount)
        return {};
    const int width =
        std::max({m_items[leadingItem]->sizeHint().width(), m_items[settingsItem]->sizeHint().width(),
                  m_items[trailingItem]->minimumSize().width()});
    return QSize(width, rowHeight()) + margins();
}

int ToolbarRowsLayout::heightForWidth(int width) const {
    const int count = rowCount(width);
    return count * rowHeight() + std::max(0, count - 1) * rowSpacing + margins().height();
}

void ToolbarRowsLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    if (m_items.size() != itemCount)
        return;
    // The owner's height follows the width: the rows it takes. Its own layout then places the groups again.
    const int height = heightForWidth(rect.width());
    if (QWidget* owner = parentWidget(); owner && owner->height() != height)
        owner->setFixedHeight(height);
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int rowHeight = this->rowHeight();
    // The settings take the width the current tool needs, the groups the width they ask for, and the
    // trailing group what is left beside the widest settings when that is less; each is centred in its row's
    // height.
    const auto width = [this, &area](QLayoutItem* item, const Row& row) {
        if (item == m_items[settingsItem] && item->widget())
            return item->widget()->minimumSizeHint().width();
        int others = 0;
        for (const QList<QLayoutItem*>& side : {row.left, row.right})
            for (const QLayoutItem* other : side)
                if (other != item)
                    others += other->sizeHint().width() + groupSpacing;
        return std::min(item->sizeHint().width(), area.width() - others);
    };
    const auto place = [rowHeight](QLayoutItem* item, int x, int top, int width) {
        const int height = std::min(item->sizeHint().height(), rowHeight);
        item->setGeometry(QRect(x, top + (rowHeight - height) / 2, width, height));
    };
    int top = area.top();
    for (const Row& row : rows(arrangement(rect.width()))) {
        int x = area.left();
        for (QLayoutItem* item : row.left) {
            place(item, x, top, width(item, row));
            x += width(item, row) + groupSpacing;
        }
        x = area.right() + 1;
        for (auto item = row.right.rbegin(); item != row.right.rend(); ++item) {
            x -= width(*item, row);
            place(*item, x, top, width(*item, row));
            x -= groupSpacing;
        }
        top += rowHeight + rowSpacing;
    }
}

} // namespace zepla::ui
