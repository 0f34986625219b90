// The pieces the tool builders share: input schemas and the note that ends a cut whole-text result.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace zepla::ai::ToolSchema {

struct Property {
    QString name;
    QString type;
    // Left out of the schema when empty.
    QString description;
};

// {"type": "object", "properties": {…}, "required": […]}, without "required" when nothing is.
QJsonObject object(const QList<Property>& properties, const QStringList& required);

// The text cut after the whole-text limit, followed by the note naming the tools that reach further.
QString truncated(const QString& text, const QString& furtherTools);

} // namespace zepla::ai::ToolSchema
