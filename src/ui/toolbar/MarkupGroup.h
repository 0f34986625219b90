// The highlight, underline and strike-through buttons: mark up the selected text at once, or with nothing
// selected keep marking up what is selected next (the sticky mode, shown as selected).
#pragma once

#include "annotations/AnnotationTool.h"

#include <QWidget>

namespace zepla::ui {

class PDFEditorWorkspaceView;
class ToolbarPillButton;

class MarkupGroup : public QWidget {
    Q_OBJECT

public:
    MarkupGroup(PDFEditorWorkspaceView& workspace, QWidget* parent = nullptr);

    ToolbarPillButton* button(annotations::MarkupAction action) const;

private:
    void followMode();

    PDFEditorWorkspaceView& m_workspace;
    QList<ToolbarPillButton*> m_buttons;
};

} // namespace zepla::ui
