// The appcast feed Zepla's releases are announced in: an RSS channel whose items each name a version and
// where to download it.
#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace zepla::platform::Appcast {

struct Release {
    // What versions are compared by: dot-separated numbers such as "1.4.2".
    QString version;
    // What the user is shown; the version itself when the feed gives no shorter form.
    QString displayVersion;
    // An https page, opened in the user's browser.
    QUrl downloadPage;
};

// The newest release the feed lists, or a message saying why the feed cannot be read. Items without a
// version number or without an https download page are passed over.
Result<Release, QString> newestRelease(const QByteArray& feed);

// Negative, zero or positive as `a` is older than, the same as or newer than `b`; missing trailing parts
// count as zero, so "1.2" equals "1.2.0". Nothing when either is not a version.
std::optional<int> compareVersions(const QString& a, const QString& b);

} // namespace zepla::platform::Appcast
