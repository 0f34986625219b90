#include "assistant/AttachmentReader.h"

#include "pdf/PdfDocument.h"
#include "text/GraphemeText.h"
#include "tools/AssistantToolFactory.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace zepla::ai::AttachmentReader {

namespace {

QString pdfText(const QString& filePath) {
    const pdf::Result<std::shared_ptr<pdf::Document>> document = pdf::Document::openFile(filePath);
    if (!document)
        return {};
    QString text;
    const int pages = std::min(document.value()->pageCount(), pdfPageLimit);
    for (int i = 0; i < pages; ++i) {
        const pdf::Result<QString> page = document.value()->pageText(i);
        if (page && !page.value().isEmpty())
            text += page.value() + u'\n';
    }
    return text;
}

// Past the limit every later request of the conversation would carry the whole file; the model gets the
// beginning and is told so.
QString limited(const QString& text) {
    constexpr int limit = AssistantToolFactory::wholeTextLimit;
    if (graphemes::count(text) <= limit)
        return text;
    return graphemes::prefix(text, limit) +
           QStringLiteral("\n\n[Attachment truncated — only its first %1 characters are included.]")
               .arg(limit);
}

} // namespace

Result<std::optional<Attachment>, QString> read(const QString& filePath) {
    const QString name = QFileInfo(filePath).fileName();
    QString text;
    if (QFileInfo(filePath).suffix().toLower() == QLatin1String("pdf")) {
        text = pdfText(filePath);
    } else {
        QFile file(filePath);
        if (!file.open(QIODevice::ReadOnly))
            return std::optional<Attachment>();
        QStringDecoder decoder(QStringDecoder::Utf8);
        text = decoder.decode(file.readAll());
        if (decoder.hasError())
            return QStringLiteral("'%1' is not UTF-8 text, so it cannot be attached.").arg(name);
    }
    if (text.trimmed().isEmpty())
        return std::optional<Attachment>();
    return std::optional(Attachment{name, limited(text)});
}

} // namespace zepla::ai::AttachmentReader
