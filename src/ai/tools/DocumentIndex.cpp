#include "tools/DocumentIndex.h"

#include "text/GraphemeText.h"

#include <QSet>

namespace zepla::ai::DocumentIndex {

namespace {

void flatten(const std::vector<pdf::OutlineItem>& items, QList<OutlineEntry>& entries) {
    for (const pdf::OutlineItem& item : items) {
        if (!graphemes::trimmedHorizontally(item.title).isEmpty()) {
            pdf::OutlineItem leaf = item;
            leaf.children.clear();
            entries.append({item.title, std::move(leaf)});
        }
        flatten(item.children, entries);
    }
}

QSet<QString> words(const QString& text) {
    const QStringList pieces = text.split(u' ', Qt::SkipEmptyParts);
    return QSet<QString>(pieces.begin(), pieces.end());
}

} // namespace

QList<OutlineEntry> flattenedOutline(const pdf::Document& document) {
    QList<OutlineEntry> entries;
    flatten(document.outline(), entries);
    return entries;
}

std::optional<OutlineEntry> bestMatch(const QString& query, const QList<OutlineEntry>& entries) {
    const QString q = graphemes::trimmedHorizontally(query.toLower());
    if (q.isEmpty())
        return std::nullopt;
    QStringList titles;
    for (const OutlineEntry& entry : entries)
        titles.append(entry.title.toLower());

    for (qsizetype i = 0; i < titles.size(); ++i) {
        if (titles[i] == q)
            return entries[i];
    }
    for (qsizetype i = 0; i < titles.size(); ++i) {
        if (titles[i].contains(q) || q.contains(titles[i]))
            return entries[i];
    }
    const QSet<QString> queryWords = words(q);
    qsizetype best = -1;
    qsizetype bestShared = 0;
    for (qsizetype i = 0; i < titles.size(); ++i) {
        const qsizetype shared = words(titles[i]).intersect(queryWords).size();
        if (shared > bestShared) {
            best = i;
            bestShared = shared;
        }
    }
    return best < 0 ? std::nullopt : std::optional(entries[best]);
}

QList<SearchMatch> search(const pdf::Document& document, const QString& query, int limit) {
    QList<SearchMatch> matches;
    const int pages = document.pageCount();
    for (int i = 0; i < pages && matches.size() < limit; ++i) {
        const pdf::Result<QString> pageText = document.pageText(i);
        if (!pageText)
            continue;
        const QString& text = pageText.value();
        const qsizetype start = text.indexOf(query, 0, Qt::CaseInsensitive);
        if (start < 0)
            continue;
        const graphemes::Range range = graphemes::widened(text, start, start + query.size(), excerptContext);
        QString excerpt = text.mid(range.start, range.end - range.start);
        excerpt.replace(u'\n', u' ');
        matches.append({i + 1, std::move(excerpt)});
    }
    return matches;
}

} // namespace zepla::ai::DocumentIndex
