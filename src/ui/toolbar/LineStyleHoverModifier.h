// Opens the line-end chooser under the line tool's button when the pointer rests on the button for 0.45 s,
// and closes it 0.2 s after the pointer has left both the button and the chooser, or at a click outside.
// The chooser is a frameless window shown without activation, so it never takes the mouse or the keyboard
// from the window. While it is open the button's tooltip stays hidden, so it never covers the chooser.
#pragma once

#include "annotations/AnnotationTool.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace zepla::annotations {
class ToolState;
}

namespace zepla::ui {

class LineStylePicker;

class LineStyleHoverModifier : public QObject {
    Q_OBJECT

public:
    static constexpr int openDelayMs = 450;
    static constexpr int closeDelayMs = 200;

    // Watches `button`; the chooser reads and writes the state's line-end style.
    LineStyleHoverModifier(QWidget* button, annotations::ToolState& toolState);
    ~LineStyleHoverModifier() override;

    bool showPicker() const { return m_showPicker; }
    // The chooser's window while it exists.
    QWidget* popover() const { return m_popover; }
    LineStylePicker* picker() const { return m_picker; }

    void scheduleDismissCheck();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setShowPicker(bool show);

    QWidget* m_button;
    annotations::ToolState& m_toolState;
    QPointer<QWidget> m_popover;
    LineStylePicker* m_picker = nullptr;
    bool m_isHoveringButton = false;
    bool m_isHoveringPopover = false;
    bool m_showPicker = false;
};

} // namespace zepla::ui
