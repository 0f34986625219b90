// Readable failure messages for comparisons of Markdown blocks in tests.
#pragma once

#include "markdown/MarkdownBlock.h"

#include <QMetaType>
#include <QTest>

namespace zepla::markdown {

inline QString quoted(const QString& s) {
    QString escaped = s;
    escaped.replace("\\", "\\\\").replace("\"", "\\\"").replace("\n", "\\n").replace("\r", "\\r");
    return '"' + escaped + '"';
}

inline QString quoted(const QStringList& list) {
    QStringList parts;
    for (const QString& s : list)
        parts.append(quoted(s));
    return '[' + parts.join(", ") + ']';
}

inline QString describe(const MarkdownBlock& block) {
    using Kind = MarkdownBlock::Kind;
    switch (block.kind) {
    case Kind::heading:
        return QString("heading(%1, %2)").arg(block.level).arg(quoted(block.text));
    case Kind::paragraph:
        return "paragraph(" + quoted(block.text) + ")";
    case Kind::bulletList:
        return "bulletList(" + quoted(block.items) + ")";
    case Kind::numberedList:
        return "numberedList(" + quoted(block.items) + ")";
    case Kind::codeBlock:
        return "codeBlock(" + quoted(block.text) + ")";
    case Kind::table: {
        QStringList rows;
        for (const QStringList& row : block.rows)
            rows.append(quoted(row));
        return "table(" + quoted(block.header) + ", [" + rows.join(", ") + "])";
    }
    case Kind::blockquote:
        return "blockquote(" + quoted(block.text) + ")";
    }
    return {};
}

inline char* toString(const MarkdownBlock& block) {
    return QTest::toString(describe(block));
}

} // namespace zepla::markdown

Q_DECLARE_METATYPE(zepla::markdown::MarkdownBlock)
