// The document sheets the sidebar presents, asked for by its page tools.
#pragma once

namespace zepla::ui {

enum class SidebarSheet { metadata, bookmarks, watermark, compress, setPassword };

} // namespace zepla::ui
