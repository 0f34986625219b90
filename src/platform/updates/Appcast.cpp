#include "updates/Appcast.h"

#include <QCoreApplication>
#include <QList>
#include <QXmlStreamReader>

namespace zepla::platform::Appcast {

namespace {

const QString kSparkle = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

QString tr(const char* text) {
    return QCoreApplication::translate("Appcast", text);
}

// "1.4.2" as {1, 4, 2}; nothing for anything else, empty parts and signs included.
std::optional<QList<qulonglong>> versionParts(const QString& version) {
    if (version.isEmpty())
        return std::nullopt;
    QList<qulonglong> parts;
    for (const QString& part : version.split(QLatin1Char('.'))) {
        bool ok =
            !part.isEmpty() && part.size() <= 18 &&
            std::all_of(part.cbegin(), part.cend(), [](QChar c) { return c.isDigit() && c.unicode() < 128; });
        if (!ok)
            return std::nullopt;
        parts.append(part.toULongLong());
    }
    return parts;
}

QUrl httpsPage(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    return url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty() ? url : QUrl();
}

bool isSparkle(const QXmlStreamReader& xml, const char* name) {
    return xml.namespaceUri() == kSparkle && xml.name() == QLatin1String(name);
}

// One <item>: its version from <sparkle:version> or the enclosure's attribute, its page from <link> or,
// failing that, the enclosure's address. The reader ends on the item's end tag.
std::optional<Release> readItem(QXmlStreamReader& xml) {
    Release release;
    QString version, shortVersion, link, enclosureVersion, enclosureShortVersion, enclosureUrl;
    while (xml.readNextStartElement()) {
        if (isSparkle(xml, "version")) {
            version = xml.readElementText().trimmed();
        } else if (isSparkle(xml, "shortVersionString")) {
            shortVersion = xml.readElementText().trimmed();
        } else if (xml.namespaceUri().isEmpty() && xml.name() == QLatin1String("link")) {
            link = xml.readElementText();
        } else if (xml.namespaceUri().isEmpty() && xml.name() == QLatin1String("enclosure")) {
            const QXmlStreamAttributes attributes = xml.attributes();
            enclosureUrl = attributes.value(QLatin1String("url")).toString();
            enclosureVersion = attributes.value(kSparkle, QLatin1String("version")).toString().trimmed();
            enclosureShortVersion =
                attributes.value(kSparkle, QLatin1String("shortVersionString")).toString().trimmed();
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    release.version = version.isEmpty() ? enclosureVersion : version;
    release.downloadPage = httpsPage(link);
    if (release.downloadPage.isEmpty())
        release.downloadPage = httpsPage(enclosureUrl);
    const QString shorter = shortVersion.isEmpty() ? enclosureShortVersion : shortVersion;
    release.displayVersion = shorter.isEmpty() ? release.version : shorter;
    if (!versionParts(release.version) || release.downloadPage.isEmpty())
        return std::nullopt;
    return release;
}

} // namespace

std::optional<int> compareVersions(const QString& a, const QString& b) {
    const auto left = versionParts(a);
    const auto right = versionParts(b);
    if (!left || !right)
        return std::nullopt;
    for (qsizetype i = 0; i < std::max(left->size(), right->size()); ++i) {
        const qulonglong x = left->value(i, 0), y = right->value(i, 0);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

Result<Release, QString> newestRelease(const QByteArray& feed) {
    QXmlStreamReader xml(feed);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("rss"))
        return xml.hasError() ? tr("it is not XML (%1)").arg(xml.errorString()) : tr("it is not an RSS feed");
    std::optional<Release> newest;
    int items = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("item") || !xml.namespaceUri().isEmpty())
            continue;
        ++items;
        const std::optional<Release> release = readItem(xml);
        if (release && (!newest || compareVersions(release->version, newest->version) > 0))
            newest = release;
    }
    if (xml.hasError())
        return tr("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    if (items == 0)
        return tr("it lists no releases");
    if (!newest)
        return tr("none of its releases has a version number and an https download page");
    return *newest;
}

} // namespace zepla::platform::Appcast
