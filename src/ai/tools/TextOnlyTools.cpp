// The tools of a file shown read-only, over the text extracted from it.
#include "text/GraphemeText.h"
#include "tools/AssistantToolFactory.h"
#include "tools/ToolArguments.h"
#include "tools/ToolSchema.h"

namespace zepla::ai::AssistantToolFactory {

AssistantTool getFullText(const TextOnlyAssistantContext& context) {
    return {QStringLiteral("get_full_text"),
            QStringLiteral(
                "Get the text extracted from this document (Excel/PowerPoint/Pages/Numbers/Keynote/EPUB "
                "— not a PDF, no page numbers)."),
            ToolSchema::object({}, {}), [text = context.extractedText](const QJsonObject&) {
                if (graphemes::count(text) <= wholeTextLimit)
                    return text;
                return ToolSchema::truncated(text, QStringLiteral("search_text"));
            }};
}

AssistantTool searchText(const TextOnlyAssistantContext& context) {
    const QString query = QStringLiteral("query");
    return {QStringLiteral("search_text"),
            QStringLiteral("Search this document's extracted text for a keyword or phrase and return short "
                           "excerpts."),
            ToolSchema::object({{query, QStringLiteral("string"), {}}}, {query}),
            [text = context.extractedText, query](const QJsonObject& input) {
                const std::optional<QString> needle = ToolArguments::string(input, query);
                if (!needle || needle->isEmpty())
                    return QStringLiteral("Missing 'query' argument.");
                QStringList excerpts;
                qsizetype from = 0;
                while (excerpts.size() < searchHitLimit) {
                    const qsizetype start = text.indexOf(*needle, from, Qt::CaseInsensitive);
                    if (start < 0)
                        break;
                    const qsizetype end = start + needle->size();
                    const graphemes::Range range = graphemes::widened(text, start, end, textExcerptContext);
                    excerpts.append(u'…' + text.mid(range.start, range.end - range.start) + u'…');
                    from = end;
                }
                if (excerpts.isEmpty())
                    return QStringLiteral("No matches found for '") + *needle + QStringLiteral("'.");
                return excerpts.join(u'\n');
            }};
}

} // namespace zepla::ai::AssistantToolFactory
