// How a click on a thumbnail changes the sidebar's selection of pages.
#pragma once

#include "document/pages/PageOperations.h"

#include <Qt>

#include <optional>

namespace zepla::ui::SidebarSelection {

struct Click {
    document::IndexSet selection;
    bool goesToPage = false; // the PDF view should show the clicked page
};

// Ctrl toggles the clicked page; otherwise Shift after an earlier click adds the whole range between the two
// clicks; otherwise the selection empties and the view goes to the page. Ctrl is tested first.
Click apply(const document::IndexSet& selection, std::optional<int> lastClicked, int index,
            Qt::KeyboardModifiers modifiers);

} // namespace zepla::ui::SidebarSelection
