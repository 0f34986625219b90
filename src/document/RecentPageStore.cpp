#include "document/RecentPageStore.h"

#include "core/BackgroundSettings.h"

#include <QVariantMap>

namespace zepla::document::RecentPageStore {

namespace {

// The stored dictionary; one value that is not a whole number spoils it all, and it reads as empty.
QVariantMap storedPages() {
    const QVariant stored = platform::BackgroundSettings::value(QLatin1String(preferenceKey));
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
    QVariantMap pages = storedPages();
    // The page is told again on every change of the document: a page already kept is not written again.
    if (const auto kept = pages.constFind(path); kept != pages.constEnd() && kept->toInt() == index)
        return;
    pages.insert(path, index);
    platform::BackgroundSettings::setValue(QLatin1String(preferenceKey), pages);
}

std::optional<int> pageIndex(const QString& path) {
    const QVariantMap pages = storedPages();
    const auto found = pages.constFind(path);
    if (found == pages.constEnd())
        return std::nullopt;
    return found->toInt();
}

} // namespace zepla::document::RecentPageStore
