#include "ui/sidebar/SidebarSelection.h"

#include <algorithm>

namespace zepla::ui::SidebarSelection {

Click apply(const document::IndexSet& selection, std::optional<int> lastClicked, int index,
            Qt::KeyboardModifiers modifiers) {
    Click click{selection};
    if (modifiers & Qt::ControlModifier) {
        if (!click.selection.erase(index))
            click.selection.insert(index);
    } else if ((modifiers & Qt::ShiftModifier) && lastClicked) {
        for (int i = std::min(*lastClicked, index); i <= std::max(*lastClicked, index); ++i)
            click.selection.insert(i);
    } else {
        click.selection.clear();
        click.goesToPage = true;
    }
    return click;
}

} // namespace zepla::ui::SidebarSelection
