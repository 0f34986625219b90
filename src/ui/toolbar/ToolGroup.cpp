#include "ui/toolbar/ToolGroup.h"

#include "annotations/ToolState.h"
#include "ui/theme/Colors.h"
#include "ui/theme/ToolbarPillButton.h"
#include "ui/toolbar/LineStyleHoverModifier.h"
#include "ui/toolbar/SignaturePopover.h"
#include "ui/toolbar/ToolbarButtons.h"
#include "ui/toolbar/ToolbarHelp.h"

#include <QHBoxLayout>

namespace zepla::ui {

using annotations::AnnotationTool;

ToolGroup::ToolGroup(annotations::ToolState& toolState, QWidget* parent)
    : QWidget(parent), m_toolState(toolState) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (AnnotationTool tool : annotations::allCases<AnnotationTool>()) {
        const auto choose = [this, tool] { emit toolChosen(tool); };
        ToolbarPillButton* button = pillButton(annotations::symbolName(tool), Color::brandBlue(),
                                               ToolbarHelp::tool(tool), choose, this);
        bindShortcut(button, shortcut(annotations::shortcutKey(tool), Qt::ControlModifier), choose);
        if (tool == AnnotationTool::line)
            m_lineStyleChooser = new LineStyleHoverModifier(button, toolState);
        if (tool == AnnotationTool::signature)
            m_signaturePopover = new SignaturePopover(button, toolState.signatureStore());
        row->addWidget(button);
        m_buttons << button;
    }
    connect(&toolState, &annotations::ToolState::toolChanged, this, &ToolGroup::followTool);
    followTool();
}

ToolbarPillButton* ToolGroup::button(AnnotationTool tool) const {
    return m_buttons.value(static_cast<int>(tool));
}

void ToolGroup::followTool() {
    for (AnnotationTool tool : annotations::allCases<AnnotationTool>())
        button(tool)->setSelected(tool == m_toolState.tool());
}

} // namespace zepla::ui
