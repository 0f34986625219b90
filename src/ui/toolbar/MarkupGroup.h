// The highlight, underline and strike-through buttons: mark up the selected text at once, or with nothing
// selected keep marking up what is selected next (the sticky mode, shown as selected). A click or shortcut
// asks for the markup; the tool state says which sticky mode is on.
#pragma once

#include "annotations/AnnotationTool.h"

#include <QWidget>

namespace zepla::annotations {
class ToolState;
}

namespace zepla::ui {

class ToolbarPillButton;

class MarkupGroup : public QWidget {
    Q_OBJECT

public:
    explicit MarkupGroup(annotations::ToolState& toolState, QWidget* parent = nullptr);

    ToolbarPillButton* button(annotations::MarkupAction action) const;

signals:
    void markupToggled(annotations::MarkupAction action);

private:
    void followMode();

    annotations::ToolState& m_toolState;
    QList<ToolbarPillButton*> m_buttons;
};

} // namespace zepla::ui
