#include "core/Wording.h"

#include <QRegularExpression>

#include <utility>

namespace zepla::platform {

QString adaptWording(const QString& text) {
    static const std::pair<QString, QString> replacements[]{
        {QStringLiteral("⌘"), QStringLiteral("Ctrl+")},
        {QStringLiteral("⌥"), QStringLiteral("Alt+")},
        {QStringLiteral("⇧"), QStringLiteral("Shift+")},
        {QStringLiteral("Finder"), QStringLiteral("your file manager")},
        {QStringLiteral("macOS"), QStringLiteral("Linux")},
    };
    // The other platform's mail program, named as a word of its own ("Email" and "Mailbox" stay).
    static const QRegularExpression mailProgram(QStringLiteral("\\bMail\\b"));
    QString adapted = text;
    for (const auto& [from, to] : replacements)
        adapted.replace(from, to);
    return adapted.replace(mailProgram, QStringLiteral("your email"));
}

} // namespace zepla::platform
