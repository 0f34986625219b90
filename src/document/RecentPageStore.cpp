#include "document/RecentPageStore.h"

#include "core/Settings.h"

#include <QVariantMap>

namespace zepla::document::RecentPageStore {

namespace {

// The stored dictionary; one value that is not a whole number spoils it all, and it reads as empty.
QVariantMap storedPages(QSettings& settings) {
    const QVariant stored = settings.value(preferenceKey);
    if (stored.typeId() != QMetaType::QVariantMap)
        return {};
    const QVariantMap pages = stored.toMap();
    for (const QVariant& value : pages) {
        const int type = value.typeId();
        if (type != QMetaType::Int && type != QMetaType::LongLong)
            return {};
    }
    return pages;
}

} // namespace

void setPageIndex(int index, const QString& path) {
    auto settings = platform::userSettings();
    QVariantMap pages = storedPages(*settings);
    // The page is told again on every change of the document; writing the file syncs it to the disk, which
    // can hold the UI thread for a long time, so a page already kept is not written again.
    if (const auto kept = pages.constFind(path); kept != pages.constEnd() && kept->toInt() == index)
        return;
    pages.insert(path, index);
    settings->setValue(preferenceKey, pages);
}

std::optional<int> pageIndex(const QString& path) {
    auto settings = platform::userSettings();
    const QVariantMap pages = storedPages(*settings);
    const auto found = pages.constFind(path);
    if (found == pages.constEnd())
        return std::nullopt;
    return found->toInt();
}

} // namespace zepla::document::RecentPageStore
