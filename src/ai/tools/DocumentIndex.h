// Two views of a PDF for the assistant's tools: its outline as a flat list to match section names against,
// and a plain-text search over its pages with short excerpts. Nothing is kept between calls.
#pragma once

#include "pdf/PdfDocument.h"

#include <QList>
#include <QString>

#include <optional>

namespace zepla::ai::DocumentIndex {

struct OutlineEntry {
    // The label exactly as stored.
    QString title;
    // The entry itself, without its children: where it leads.
    pdf::OutlineItem outline;
};

struct SearchMatch {
    int page = 0; // counted from 1
    QString excerpt;
};

// Excerpts reach this many characters before and after a match.
inline constexpr int excerptContext = 40;

// Every entry whose label is not blank, depth first in reading order; untitled entries still
// contribute their children.
QList<OutlineEntry> flattenedOutline(const pdf::Document& document);

// The entry whose title best matches a section name: equal, then containing or contained, then sharing
// the most words. Nothing for a blank name or no shared word.
std::optional<OutlineEntry> bestMatch(const QString& query, const QList<OutlineEntry>& entries);

// The first occurrence of `query` (case-insensitive, untrimmed) on each page, for at most `limit` pages, in
// page order. Pages whose text cannot be read are passed over.
QList<SearchMatch> search(const pdf::Document& document, const QString& query, int limit);

} // namespace zepla::ai::DocumentIndex
