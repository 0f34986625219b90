#include "ui/landing/RecentDocuments.h"

#include "core/BackgroundSettings.h"

#include <QFileInfo>

namespace zepla::ui::RecentDocuments {

namespace {

void store(const QStringList& list) {
    platform::BackgroundSettings::setValue(QLatin1String(preferenceKey),
                                           list.isEmpty() ? QVariant() : QVariant(list));
}

} // namespace

QStringList paths() {
    return platform::BackgroundSettings::value(QLatin1String(preferenceKey)).toStringList();
}

void note(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list = paths();
    list.removeAll(absolute);
    list.prepend(absolute);
    store(list.mid(0, maximumCount));
}

void remove(const QString& path) {
    QStringList list = paths();
    if (list.removeAll(QFileInfo(path).absoluteFilePath()) > 0)
        store(list);
}

void clear() {
    store({});
}

} // namespace zepla::ui::RecentDocuments
