#include "ui/toolbar/MarkupGroup.h"

#include "annotations/ToolState.h"
#include "ui/theme/Colors.h"
#include "ui/theme/ToolbarPillButton.h"
#include "ui/toolbar/ToolbarButtons.h"
#include "ui/toolbar/ToolbarHelp.h"

#include <QHBoxLayout>

namespace zepla::ui {

using annotations::MarkupAction;

MarkupGroup::MarkupGroup(annotations::ToolState& toolState, QWidget* parent)
    : QWidget(parent), m_toolState(toolState) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (MarkupAction action : annotations::allCases<MarkupAction>()) {
        const auto toggle = [this, action] { emit markupToggled(action); };
        ToolbarPillButton* button = pillButton(annotations::symbolName(action), Color::brandBlueDeep(),
                                               ToolbarHelp::markup(action), toggle, this);
        bindShortcut(button,
                     shortcut(annotations::shortcutKey(action), Qt::ControlModifier | Qt::ShiftModifier),
                     toggle);
        row->addWidget(button);
        m_buttons << button;
    }
    connect(&toolState, &annotations::ToolState::activeMarkupModeChanged, this, &MarkupGroup::followMode);
    followMode();
}

ToolbarPillButton* MarkupGroup::button(MarkupAction action) const {
    return m_buttons.value(static_cast<int>(action));
}

void MarkupGroup::followMode() {
    for (MarkupAction action : annotations::allCases<MarkupAction>())
        button(action)->setSelected(m_toolState.activeMarkupMode() == action);
}

} // namespace zepla::ui
