// One block of an assistant answer, as plain data for the views that draw answers.
#include "MarkdownBlock.h"

#include <utility>

namespace zepla::markdown {

namespace {

MarkdownBlock withText(MarkdownBlock::Kind kind, QString text) {
    MarkdownBlock block;
    block.kind = kind;
    block.text = std::move(text);
    return block;
}

MarkdownBlock withItems(MarkdownBlock::Kind kind, QStringList items) {
    MarkdownBlock block;
    block.kind = kind;
    block.items = std::move(items);
    return block;
}

} // namespace

MarkdownBlock MarkdownBlock::heading(int level, QString text) {
    MarkdownBlock block = withText(Kind::heading, std::move(text));
    block.level = level;
    return block;
}

MarkdownBlock MarkdownBlock::paragraph(QString text) {
    return withText(Kind::paragraph, std::move(text));
}

MarkdownBlock MarkdownBlock::bulletList(QStringList items) {
    return withItems(Kind::bulletList, std::move(items));
}

MarkdownBlock MarkdownBlock::numberedList(QStringList items) {
    return withItems(Kind::numberedList, std::move(items));
}

MarkdownBlock MarkdownBlock::codeBlock(QString code) {
    return withText(Kind::codeBlock, std::move(code));
}

MarkdownBlock MarkdownBlock::table(QStringList header, QList<QStringList> rows) {
    MarkdownBlock block;
    block.kind = Kind::table;
    block.header = std::move(header);
    block.rows = std::move(rows);
    return block;
}

MarkdownBlock MarkdownBlock::blockquote(QString text) {
    return withText(Kind::blockquote, std::move(text));
}

} // namespace zepla::markdown
