#include "ui/toolbar/ToolbarRowsLayout.h"

#include <QWidget>

#include <algorithm>

namespace zepla::ui {

ToolbarRowsLayout::ToolbarRowsLayout(QWidget* parent) : QLayout(parent) {}

ToolbarRowsLayout::~ToolbarRowsLayout() {
    qDeleteAll(m_items);
}

void ToolbarRowsLayout::setGroups(QWidget* leading, QWidget* trailing) {
    addWidget(leading);
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

bool ToolbarRowsLayout::wraps(int width) const {
    if (m_items.size() < 2)
        return false;
    const QMargins margins = contentsMargins();
    return m_items[0]->sizeHint().width() + groupSpacing + m_items[1]->sizeHint().width() >
           width - margins.left() - margins.right();
}

QSize ToolbarRowsLayout::sizeHint() const {
    if (m_items.size() < 2)
        return {};
    const QMargins margins = contentsMargins();
    const QSize a = m_items[0]->sizeHint();
    const QSize b = m_items[1]->sizeHint();
    return QSize(a.width() + groupSpacing + b.width(), std::max(a.height(), b.height())) +
           QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

QSize ToolbarRowsLayout::minimumSize() const {
    if (m_items.size() < 2)
        return {};
    const QMargins margins = contentsMargins();
    const QSize a = m_items[0]->sizeHint();
    const QSize b = m_items[1]->sizeHint();
    return QSize(std::max(a.width(), b.width()) + margins.left() + margins.right(),
                 std::max(a.height(), b.height()) + margins.top() + margins.bottom());
}

int ToolbarRowsLayout::heightForWidth(int width) const {
    if (m_items.size() < 2)
        return 0;
    const QMargins margins = contentsMargins();
    const int a = m_items[0]->sizeHint().height();
    const int b = m_items[1]->sizeHint().height();
    const int rows = wraps(width) ? a + rowSpacing + b : std::max(a, b);
    return rows + margins.top() + margins.bottom();
}

void ToolbarRowsLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    if (m_items.size() < 2)
        return;
    // The owner's height follows the width and the groups' sizes: one row or two. Its own layout then
    // places the groups again.
    const int height = heightForWidth(rect.width());
    if (QWidget* owner = parentWidget(); owner && owner->height() != height)
        owner->setFixedHeight(height);
    const QRect area = rect.marginsRemoved(contentsMargins());
    const QSize a = m_items[0]->sizeHint();
    const QSize b = m_items[1]->sizeHint();
    if (!wraps(rect.width())) {
        const int height = std::max(a.height(), b.height());
        m_items[0]->setGeometry(
            QRect(area.left(), area.top() + (height - a.height()) / 2, a.width(), a.height()));
        m_items[1]->setGeometry(QRect(area.right() + 1 - b.width(), area.top() + (height - b.height()) / 2,
                                      b.width(), b.height()));
        return;
    }
    m_items[0]->setGeometry(QRect(area.left(), area.top(), std::min(a.width(), area.width()), a.height()));
    m_items[1]->setGeometry(QRect(area.left(), area.top() + a.height() + rowSpacing,
                                  std::min(b.width(), area.width()), b.height()));
}

} // namespace zepla::ui
