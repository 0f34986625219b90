// The page the user last viewed in each file, kept in the preferences so a document opens where it was left.
#pragma once

#include <QString>

#include <optional>

namespace zepla::document::RecentPageStore {

inline constexpr const char* preferenceKey = "RecentPageStore.pageIndexByPath";

void setPageIndex(int index, const QString& path);
// The stored page, or nothing. The caller checks it against the document's page count.
std::optional<int> pageIndex(const QString& path);

} // namespace zepla::document::RecentPageStore
