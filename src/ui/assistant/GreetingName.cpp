#include "ui/assistant/GreetingName.h"

#include <QStringList>

#include <pwd.h>
#include <unistd.h>

namespace zepla::ui {

namespace {

// Every word's first letter upper case and the rest lower case.
QString capitalised(const QString& word) {
    QString result = word.toLower();
    bool wordStart = true;
    for (QChar& c : result) {
        if (wordStart && c.isLetter())
            c = c.toUpper();
        wordStart = !c.isLetterOrNumber();
    }
    return result;
}

} // namespace

QString displayFirstName(const QString& fullName, const QString& loginName) {
    const QString trimmed = fullName.trimmed();
    const QString name = trimmed.isEmpty() ? loginName : trimmed;
    const QStringList words = name.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return words.isEmpty() ? QStringLiteral("there") : capitalised(words.first());
}

QString userFullName() {
    const passwd* entry = getpwuid(getuid());
    if (!entry || !entry->pw_gecos)
        return {};
    // The comment field holds the full name first, then other details after commas.
    return QString::fromLocal8Bit(entry->pw_gecos).section(QLatin1Char(','), 0, 0);
}

QString userLoginName() {
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_name ? QString::fromLocal8Bit(entry->pw_name) : qEnvironmentVariable("USER");
}

} // namespace zepla::ui
