// The list of recently opened documents, newest first, kept in the preferences.
#pragma once

#include <QString>
#include <QStringList>

namespace zepla::ui::RecentDocuments {

inline constexpr const char* preferenceKey = "recentDocumentPaths";
inline constexpr int maximumCount = 10;

QStringList paths();
// Puts the file at the front (an absolute, clean path), dropping an earlier entry of it and the oldest
// entries past the maximum.
void note(const QString& path);
void remove(const QString& path);
void clear();

} // namespace zepla::ui::RecentDocuments
