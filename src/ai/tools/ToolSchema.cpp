#include "tools/ToolSchema.h"

#include "text/GraphemeText.h"
#include "tools/AssistantToolFactory.h"

#include <QJsonArray>

namespace zepla::ai::ToolSchema {

QJsonObject object(const QList<Property>& properties, const QStringList& required) {
    QJsonObject props;
    for (const Property& p : properties) {
        QJsonObject prop{{QStringLiteral("type"), p.type}};
        if (!p.description.isEmpty())
            prop.insert(QStringLiteral("description"), p.description);
        props.insert(p.name, prop);
    }
    QJsonObject schema{{QStringLiteral("type"), QStringLiteral("object")},
                       {QStringLiteral("properties"), props}};
    if (!required.isEmpty())
        schema.insert(QStringLiteral("required"), QJsonArray::fromStringList(required));
    return schema;
}

QString truncated(const QString& text, const QString& furtherTools) {
    return graphemes::prefix(text, AssistantToolFactory::wholeTextLimit) +
           QStringLiteral("\n\n[Truncated — document is longer than fits in one call. Use ") + furtherTools +
           QStringLiteral(" for anything past this point.]");
}

} // namespace zepla::ai::ToolSchema
