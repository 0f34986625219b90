// XML property lists, the format of the math-table exports: dictionaries, arrays, text, numbers, booleans.
#include "fonts/PropertyList.h"

#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace zepla::math {

namespace {

// Reads the value whose start element the reader stands on, leaving it on that element's end.
std::optional<QVariant> readValue(QXmlStreamReader& xml) {
    const QStringView kind = xml.name();
    if (kind == u"dict") {
        QVariantMap map;
        while (xml.readNextStartElement()) {
            if (xml.name() != u"key")
                return std::nullopt;
            const QString key = xml.readElementText();
            if (!xml.readNextStartElement())
                return std::nullopt;
            auto value = readValue(xml);
            if (!value)
                return std::nullopt;
            map.insert(key, *value);
        }
        return QVariant(map);
    }
    if (kind == u"array") {
        QVariantList list;
        while (xml.readNextStartElement()) {
            auto value = readValue(xml);
            if (!value)
                return std::nullopt;
            list.append(*value);
        }
        return QVariant(list);
    }
    if (kind == u"true" || kind == u"false") {
        const bool truth = kind == u"true";
        xml.skipCurrentElement();
        return QVariant(truth);
    }
    bool ok = true;
    QVariant value;
    if (kind == u"string")
        value = xml.readElementText();
    else if (kind == u"integer")
        value = xml.readElementText().trimmed().toLongLong(&ok);
    else if (kind == u"real")
        value = xml.readElementText().trimmed().toDouble(&ok);
    else
        return std::nullopt;
    return ok && !xml.hasError() ? std::optional(value) : std::nullopt;
}

void writeValue(QXmlStreamWriter& xml, const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        xml.writeStartElement("dict");
        const QVariantMap map = value.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
            xml.writeTextElement("key", it.key());
            writeValue(xml, it.value());
        }
        xml.writeEndElement();
        return;
    }
    case QMetaType::QVariantList:
        xml.writeStartElement("array");
        for (const QVariant& element : value.toList())
            writeValue(xml, element);
        xml.writeEndElement();
        return;
    case QMetaType::Bool:
        xml.writeEmptyElement(value.toBool() ? "true" : "false");
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        xml.writeTextElement("real", QString::number(value.toDouble(), 'g', 17));
        return;
    default:
        if (isPropertyListNumber(value))
            xml.writeTextElement("integer", QString::number(value.toLongLong()));
        else
            xml.writeTextElement("string", value.toString());
    }
}

} // namespace

PropertyListResult parsePropertyList(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement() || xml.name() != u"plist" || !xml.readNextStartElement())
        return {std::nullopt, QStringLiteral("not a property list")};
    if (xml.name() != u"dict")
        return {std::nullopt, QStringLiteral("the property list does not hold a dictionary")};
    auto value = readValue(xml);
    if (!value || xml.hasError())
        return {std::nullopt, QStringLiteral("malformed property list at line %1").arg(xml.lineNumber())};
    return {value->toMap(), {}};
}

PropertyListResult readPropertyList(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("cannot read %1: %2").arg(path, file.errorString())};
    PropertyListResult result = parsePropertyList(file.readAll());
    if (!result.dictionary)
        result.error = path + QStringLiteral(": ") + result.error;
    return result;
}

QByteArray writePropertyList(const QVariantMap& dictionary) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"));
    xml.writeStartElement("plist");
    xml.writeAttribute("version", "1.0");
    writeValue(xml, dictionary);
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

bool isPropertyListNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool isPropertyListText(const QVariant& value) {
    return value.typeId() == QMetaType::QString;
}

} // namespace zepla::math
