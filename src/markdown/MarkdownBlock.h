// One block of an assistant answer, as plain data for the views that draw answers.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace zepla::markdown {

// Blocks never nest: each case carries only its own text, which is left unread for the inline renderer
// (except code, which is shown as written).
struct MarkdownBlock {
    enum class Kind { heading, paragraph, bulletList, numberedList, codeBlock, table, blockquote };

    Kind kind = Kind::paragraph;
    int level = 0;           // heading only: 1 to 6
    QString text;            // heading, paragraph, codeBlock and blockquote
    QStringList items;       // bulletList and numberedList
    QStringList header;      // table
    QList<QStringList> rows; // table; rows may be ragged, as written

    static MarkdownBlock heading(int level, QString text);
    static MarkdownBlock paragraph(QString text);
    static MarkdownBlock bulletList(QStringList items);
    static MarkdownBlock numberedList(QStringList items);
    static MarkdownBlock codeBlock(QString code);
    static MarkdownBlock table(QStringList header, QList<QStringList> rows);
    static MarkdownBlock blockquote(QString text);

    friend bool operator==(const MarkdownBlock&, const MarkdownBlock&) = default;
};

} // namespace zepla::markdown

// Every member is relocatable, so growing a list of blocks can move them as bytes.
Q_DECLARE_TYPEINFO(zepla::markdown::MarkdownBlock, Q_RELOCATABLE_TYPE);
