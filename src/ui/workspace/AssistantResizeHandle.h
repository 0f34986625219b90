// The thin strip on the assistant panel's left edge: dragging it sets the panel's width within limits, and
// while the pointer is over it (or a drag is on) it shows a separator line and the left-right resize
// cursor. The widget's own cursor keeps the resize cursor on screen while the pointer is inside, and a drag
// keeps it until the release, whatever lies beside it.
#pragma once

#include <QWidget>

#include <optional>

namespace zepla::ui {

class AssistantResizeHandle : public QWidget {
    Q_OBJECT

public:
    static constexpr int hitWidth = 7;

    AssistantResizeHandle(int minWidth, int maxWidth, QWidget* parent = nullptr);

    // The panel width the handle drives; set by the workspace, changed by drags.
    int panelWidth() const { return m_width; }
    void setPanelWidth(int width) { m_width = width; }
    bool isHovering() const { return m_hovering; }
    bool isDragging() const { return m_widthAtDragStart.has_value(); }

signals:
    void panelWidthChanged(int width);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_minWidth;
    int m_maxWidth;
    int m_width = 0;
    bool m_hovering = false;
    std::optional<int> m_widthAtDragStart;
    double m_dragStartX = 0;
};

} // namespace zepla::ui
