// The eleven tool buttons of the toolbar in tool order, each marking the current tool, with its Ctrl
// shortcut; the line button offers the line-end chooser on hover, the Sign button carries the signature
// picker. A click or shortcut asks for the tool; the tool state says which one is current.
#pragma once

#include "annotations/AnnotationTool.h"

#include <QWidget>

namespace zepla::annotations {
class ToolState;
}

namespace zepla::ui {

class LineStyleHoverModifier;
class SignaturePopover;
class ToolbarPillButton;

class ToolGroup : public QWidget {
    Q_OBJECT

public:
    explicit ToolGroup(annotations::ToolState& toolState, QWidget* parent = nullptr);

    ToolbarPillButton* button(annotations::AnnotationTool tool) const;
    LineStyleHoverModifier* lineStyleChooser() const { return m_lineStyleChooser; }
    SignaturePopover* signaturePopover() const { return m_signaturePopover; }

signals:
    void toolChosen(annotations::AnnotationTool tool);

private:
    void followTool();

    annotations::ToolState& m_toolState;
    QList<ToolbarPillButton*> m_buttons;
    LineStyleHoverModifier* m_lineStyleChooser = nullptr;
    SignaturePopover* m_signaturePopover = nullptr;
};

} // namespace zepla::ui
