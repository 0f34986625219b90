// The eleven tool buttons of the toolbar in tool order, each marking the current tool, with its Ctrl
// shortcut; the line button offers the line-end chooser on hover, the Sign button opens the signature picker.
#pragma once

#include "annotations/AnnotationTool.h"

#include <QWidget>

namespace zepla::ui {

class LineStyleHoverModifier;
class PDFEditorWorkspaceView;
class SignaturePopover;
class ToolbarPillButton;

class ToolGroup : public QWidget {
    Q_OBJECT

public:
    ToolGroup(PDFEditorWorkspaceView& workspace, QWidget* parent = nullptr);

    ToolbarPillButton* button(annotations::AnnotationTool tool) const;
    LineStyleHoverModifier* lineStyleChooser() const { return m_lineStyleChooser; }
    SignaturePopover* signaturePopover() const { return m_signaturePopover; }

private:
    void followTool();

    PDFEditorWorkspaceView& m_workspace;
    QList<ToolbarPillButton*> m_buttons;
    LineStyleHoverModifier* m_lineStyleChooser = nullptr;
    SignaturePopover* m_signaturePopover = nullptr;
};

} // namespace zepla::ui
