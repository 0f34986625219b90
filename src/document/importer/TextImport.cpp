#include "document/importer/TextImport.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>

#include <memory>
#include <optional>

namespace zepla::document {

namespace {

// The page and the rectangle of text on it, in points.
constexpr double pageWidth = 612, pageHeight = 792, margin = 54;
constexpr double textWidth = pageWidth - 2 * margin, textHeight = pageHeight - 2 * margin;
constexpr double bodyPointSize = 12;
// Reading and decoding is this share of the work; laying out and drawing the pages is the rest.
constexpr double readingShare = 0.1;

// A text document that loads nothing from the network: local files of the HTML's own folder and below, or
// anywhere on this machine given by a file address, as long as they are ordinary files.
class OfflineTextDocument : public QTextDocument {
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int type, const QUrl& name) override {
        const QUrl resolved = baseUrl().resolved(name);
        if (!resolved.isLocalFile())
            return {};
        const QFileInfo info(resolved.toLocalFile());
        constexpr qint64 largestResource = 64 * 1024 * 1024;
        if (!info.isFile() || info.size() > largestResource)
            return {};
        if (type == QTextDocument::ImageResource)
            return QImage(info.filePath());
        QFile file(info.filePath());
        return file.open(QIODevice::ReadOnly) ? QVariant(file.readAll()) : QVariant();
    }
};

// Nothing when the bytes are not valid UTF-8.
std::optional<QString> decodeUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// Background colours of characters, paragraphs, frames and table cells are dropped, so pages stay white.
void clearBackgrounds(QTextDocument& document) {
    std::vector<std::pair<int, int>> coloured; // fragments: position, length
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().hasProperty(QTextFormat::BackgroundBrush)) {
            QTextBlockFormat format = block.blockFormat();
            format.clearBackground();
            QTextCursor(block).setBlockFormat(format);
        }
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().hasProperty(QTextFormat::BackgroundBrush))
                coloured.emplace_back(it.fragment().position(), it.fragment().length());
    }
    for (const auto& [position, length] : coloured) {
        QTextCursor cursor(&document);
        cursor.setPosition(position);
        cursor.setPosition(position + length, QTextCursor::KeepAnchor);
        QTextCharFormat format = cursor.charFormat();
        format.clearBackground();
        cursor.setCharFormat(format);
    }
    std::vector<QTextFrame*> frames{document.rootFrame()};
    while (!frames.empty()) {
        QTextFrame* frame = frames.back();
        frames.pop_back();
        QTextFrameFormat format = frame->frameFormat();
        format.clearBackground();
        frame->setFrameFormat(format);
        if (auto* table = qobject_cast<QTextTable*>(frame))
            for (int row = 0; row < table->rows(); ++row)
                for (int column = 0; column < table->columns(); ++column) {
                    QTextTableCell cell = table->cellAt(row, column);
                    QTextCharFormat cellFormat = cell.format();
                    cellFormat.clearBackground();
                    cell.setFormat(cellFormat);
                }
        for (QTextFrame* child : frame->childFrames())
            frames.push_back(child);
    }
}

// A line feed at the end of a file ends its last line; it starts no empty line of its own, which would
// take a page by itself when the lines before it fill their pages exactly.
QString withoutFinalLineFeed(QString text) {
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(text.endsWith(QLatin1String("\r\n")) ? 2 : 1);
    return text;
}

QString writePages(QTextDocument& text, const QString& pdfPath, const ImportProgress& progress) {
    QPdfWriter writer(pdfPath);
    writer.setResolution(72); // one unit of the painter is one point
    writer.setCreator(QStringLiteral("Zepla"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                     QMarginsF(margin, margin, margin, margin), QPageLayout::Point));
    text.documentLayout()->setPaintDevice(&writer);
    text.setDocumentMargin(0);
    text.setPageSize(QSizeF(textWidth, textHeight));

    QPainter painter;
    if (!painter.begin(&writer))
        return QStringLiteral("The PDF could not be written.");
    const int pages = text.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (progress.isCancelled())
            return QStringLiteral("The conversion was cancelled.");
        if (page > 0)
            writer.newPage();
        const QRectF area(0, page * textHeight, textWidth, textHeight);
        painter.save();
        painter.translate(0, -area.top());
        // Lines are laid out so none straddles a page edge; a line starting exactly at the edge belongs to
        // the next page, and the drawing area stops short of it.
        text.drawContents(&painter, area.adjusted(0, 0.5, 0, -0.5));
        painter.restore();
        progress(readingShare + (1 - readingShare) * (page + 1) / pages);
    }
    if (!painter.end())
        return QStringLiteral("The PDF could not be written.");
    return {};
}

} // namespace

QString textToPdf(const QString& path, const QString& pdfPath, const ImportProgress& progress) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("The file could not be read: %1").arg(file.errorString());
    const auto decoded = decodeUtf8(file.readAll());
    file.close();
    if (!decoded)
        return QStringLiteral("The file is not valid UTF-8 text.");
    progress(readingShare / 2);

    OfflineTextDocument text;
    QFont body = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    body.setPointSizeF(bodyPointSize);
    text.setDefaultFont(body);
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("html") || extension == QLatin1String("htm")) {
        text.setMetaInformation(QTextDocument::DocumentUrl,
                                QUrl::fromLocalFile(QFileInfo(path).absolutePath() + '/').toString());
        text.setHtml(*decoded);
        clearBackgrounds(text);
    } else {
        text.setPlainText(withoutFinalLineFeed(*decoded));
    }
    progress(readingShare);
    return writePages(text, pdfPath, progress);
}

} // namespace zepla::document
