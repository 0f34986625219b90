// Cuts an assistant answer into a flat list of Markdown blocks, line by line.
#pragma once

#include "MarkdownBlock.h"

#include <QStringView>
#include <optional>

namespace zepla::markdown {

// Never fails: any text gives a block list, malformed constructs degrade to paragraphs. Linear in the
// length of the text. The line tests take lines trimmed of horizontal white space where noted; the views
// they return point into the line given.
class MarkdownParser {
public:
    struct Heading {
        int level;
        QStringView text;
    };

    MarkdownParser() = delete;

    static QList<MarkdownBlock> parse(QStringView text);
    static std::optional<Heading> headingLevel(QStringView trimmedLine);
    static bool isTableSeparator(QStringView line);
    static QStringList splitTableRow(QStringView line);
    static std::optional<QStringView> numberedListItem(QStringView trimmedLine);
};

} // namespace zepla::markdown
