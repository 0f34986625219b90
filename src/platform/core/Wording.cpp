#include "core/Wording.h"

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
    QString adapted = text;
    for (const auto& [from, to] : replacements)
        adapted.replace(from, to);
    return adapted;
}

} // namespace zepla::platform
