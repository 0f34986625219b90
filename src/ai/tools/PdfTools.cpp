// The tools of a PDF in a document window: navigation, page and document text, search and notes.
#include "text/GraphemeText.h"
#include "tools/AssistantToolFactory.h"
#include "tools/DocumentIndex.h"
#include "tools/ToolArguments.h"
#include "tools/ToolSchema.h"

#include <functional>

namespace zepla::ai::AssistantToolFactory {

namespace {

const QString noDocumentText = QStringLiteral("No document is open in this window any more.");

// Runs `body` with the context's document, or answers that the window has gone.
AssistantTool pdfTool(QString name, QString description, QJsonObject schema, const AssistantContext& context,
                      std::function<QString(const QJsonObject&, pdf::Document&, AssistantViewer*)> body) {
    auto execute = [context, body = std::move(body)](const QJsonObject& input) {
        const std::shared_ptr<pdf::Document> document = context.pdfDocument.lock();
        if (!document)
            return noDocumentText;
        AssistantViewer* viewer =
            context.viewer && context.viewer->hasView() ? context.viewer.data() : nullptr;
        return body(input, *document, viewer);
    };
    return {std::move(name), std::move(description), std::move(schema), std::move(execute)};
}

bool isValidPage(int n, const pdf::Document& document) {
    return n >= 1 && n <= document.pageCount();
}

QString outOfRange(int n, const pdf::Document& document) {
    return QStringLiteral("Page %1 is out of range. This document has %2 pages.")
        .arg(n)
        .arg(document.pageCount());
}

// The page's text trimmed at both ends; an empty text for a page without text, nothing when it cannot be
// read.
std::optional<QString> trimmedPageText(const pdf::Document& document, int index) {
    const pdf::Result<QString> text = document.pageText(index);
    if (!text)
        return std::nullopt;
    return text.value().trimmed();
}

const QString pageProperty = QStringLiteral("page");
const QString titleProperty = QStringLiteral("title");
const QString queryProperty = QStringLiteral("query");
const QString textProperty = QStringLiteral("text");

} // namespace

AssistantTool goToPage(const AssistantContext& context) {
    return pdfTool(
        QStringLiteral("go_to_page"),
        QStringLiteral("Navigate the PDF viewer to a specific 1-based page number."),
        ToolSchema::object({{pageProperty, QStringLiteral("integer"), QStringLiteral("1-based page number")}},
                           {pageProperty}),
        context, [](const QJsonObject& input, pdf::Document& document, AssistantViewer* viewer) {
            const std::optional<int> n = ToolArguments::integer(input, pageProperty);
            if (!n)
                return QStringLiteral("Missing or invalid 'page' argument.");
            if (!isValidPage(*n, document))
                return outOfRange(*n, document);
            if (viewer)
                viewer->goToPage(*n - 1);
            return QStringLiteral("Navigated to page %1.").arg(*n);
        });
}

AssistantTool goToSection(const AssistantContext& context) {
    return pdfTool(
        QStringLiteral("go_to_section"),
        QStringLiteral(
            "Navigate to the outline/table-of-contents entry whose title best matches the given text."),
        ToolSchema::object({{titleProperty, QStringLiteral("string"),
                             QStringLiteral("Section or chapter title or description, e.g. 'methodology' or "
                                            "'chapter 3'")}},
                           {titleProperty}),
        context, [](const QJsonObject& input, pdf::Document& document, AssistantViewer* viewer) {
            const std::optional<QString> title = ToolArguments::string(input, titleProperty);
            if (!title)
                return QStringLiteral("Missing 'title' argument.");
            const QList<DocumentIndex::OutlineEntry> entries = DocumentIndex::flattenedOutline(document);
            if (entries.isEmpty()) {
                return QStringLiteral("This document has no table of contents to navigate by. Try go_to_page "
                                      "or search_document instead.");
            }
            if (const auto match = DocumentIndex::bestMatch(*title, entries)) {
                if (viewer && match->outline.pageIndex >= 0)
                    viewer->goToPage(match->outline.pageIndex);
                return QStringLiteral("Navigated to section '%1'.").arg(match->title);
            }
            QStringList titles;
            for (const DocumentIndex::OutlineEntry& entry :
                 entries.first(std::min<qsizetype>(listedSectionLimit, entries.size())))
                titles.append(entry.title);
            return QStringLiteral("No section title closely matches '") + *title +
                   QStringLiteral("'. Available sections: ") + titles.join(QStringLiteral("; "));
        });
}

AssistantTool getSelectionText(const AssistantContext& context) {
    return pdfTool(
        QStringLiteral("get_selection_text"),
        QStringLiteral("Get the text currently selected by the user in the PDF viewer, if any."),
        ToolSchema::object({}, {}), context, [](const QJsonObject&, pdf::Document&, AssistantViewer* viewer) {
            const QString selection = viewer ? viewer->selectionText() : QString();
            return selection.isEmpty() ? QStringLiteral("No text is currently selected.") : selection;
        });
}

AssistantTool getPageText(const AssistantContext& context) {
    return pdfTool(
        QStringLiteral("get_page_text"),
        QStringLiteral("Get the full text content of a specific 1-based page. Omit 'page' (or the user said "
                       "\"this page\"/\"the current page\") to use whatever page is currently shown in the "
                       "viewer."),
        ToolSchema::object({{pageProperty, QStringLiteral("integer"), {}}}, {}), context,
        [](const QJsonObject& input, pdf::Document& document, AssistantViewer* viewer) {
            std::optional<int> n = ToolArguments::integer(input, pageProperty);
            if (!n) {
                const std::optional<int> current = viewer ? viewer->currentPageIndex() : std::nullopt;
                if (!current)
                    return QStringLiteral("No page is currently open to use as \"this page\".");
                n = *current + 1;
            }
            if (!isValidPage(*n, document))
                return outOfRange(*n, document);
            const std::optional<QString> text = trimmedPageText(document, *n - 1);
            if (!text)
                return QStringLiteral("The text of page %1 could not be read.").arg(*n);
            if (text->isEmpty())
                return QStringLiteral("Page %1 has no extractable text.").arg(*n);
            return *text;
        });
}

AssistantTool getDocumentText(const AssistantContext& context) {
    return pdfTool(
        QStringLiteral("get_document_text"),
        QStringLiteral(
            "Get the full text of the entire document in one call, each page marked with a header. "
            "Use this for whole-document questions (summaries, overall topics) instead of calling "
            "get_page_text repeatedly."),
        ToolSchema::object({}, {}), context,
        [](const QJsonObject&, pdf::Document& document, AssistantViewer*) {
            const int pages = document.pageCount();
            QString text;
            qsizetype length = 0;
            for (int i = 0; i < pages; ++i) {
                const std::optional<QString> pageText = trimmedPageText(document, i);
                QString piece = QStringLiteral("--- Page %1 of %2 ---\n").arg(i + 1).arg(pages);
                if (!pageText)
                    piece += QStringLiteral("(text could not be read)\n\n");
                else if (pageText->isEmpty())
                    piece += QStringLiteral("(no extractable text)\n\n");
                else
                    piece += *pageText + QStringLiteral("\n\n");
                // Every piece ends with a line break, so the characters of the pieces never merge.
                length += graphemes::count(piece);
                text += piece;
                if (length > wholeTextLimit)
                    return ToolSchema::truncated(text, QStringLiteral("get_page_text or search_document"));
            }
            return text;
        });
}

AssistantTool searchDocument(const AssistantContext& context) {
    return pdfTool(
        QStringLiteral("search_document"),
        QStringLiteral("Search the full document for a keyword or phrase and return matching pages "
                       "with short excerpts."),
        ToolSchema::object({{queryProperty, QStringLiteral("string"), {}}}, {queryProperty}), context,
        [](const QJsonObject& input, pdf::Document& document, AssistantViewer*) {
            const std::optional<QString> query = ToolArguments::string(input, queryProperty);
            if (!query || query->isEmpty())
                return QStringLiteral("Missing 'query' argument.");
            const QList<DocumentIndex::SearchMatch> matches =
                DocumentIndex::search(document, *query, searchHitLimit);
            if (matches.isEmpty())
                return QStringLiteral("No matches found for '") + *query + QStringLiteral("'.");
            QStringList lines;
            for (const DocumentIndex::SearchMatch& match : matches)
                lines.append(QStringLiteral("Page %1: …").arg(match.page) + match.excerpt + u'…');
            return lines.join(u'\n');
        });
}

AssistantTool addNote(const AssistantContext& context) {
    return pdfTool(
        QStringLiteral("add_note"),
        QStringLiteral("Add a sticky note annotation with the given text near the top of a specific 1-based "
                       "page."),
        ToolSchema::object(
            {{pageProperty, QStringLiteral("integer"), {}}, {textProperty, QStringLiteral("string"), {}}},
            {pageProperty, textProperty}),
        context, [](const QJsonObject& input, pdf::Document& document, AssistantViewer* viewer) {
            const std::optional<int> n = ToolArguments::integer(input, pageProperty);
            const std::optional<QString> text = ToolArguments::string(input, textProperty);
            if (!n || !text)
                return QStringLiteral("Missing 'page' or 'text' argument.");
            if (!isValidPage(*n, document))
                return QStringLiteral("Page %1 is out of range.").arg(*n);
            if (!viewer)
                return QStringLiteral("Viewer is not available.");
            if (!viewer->addNote(*text, *n - 1))
                return QStringLiteral("The note could not be added to page %1.").arg(*n);
            return QStringLiteral("Added a note on page %1.").arg(*n);
        });
}

} // namespace zepla::ai::AssistantToolFactory
