#include "assistant/SystemPrompts.h"

#include <QFile>

namespace zepla::ai::SystemPrompts {

namespace {

QString resource(const QString& name) {
    QFile file(QStringLiteral(":/zepla/ai/prompts/") + name);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

} // namespace

QString document() {
    static const QString prompt = resource(QStringLiteral("document.txt"));
    return prompt;
}

QString preview() {
    static const QString prompt =
        document() + QStringLiteral("\n\n") + resource(QStringLiteral("preview.txt"));
    return prompt;
}

} // namespace zepla::ai::SystemPrompts
