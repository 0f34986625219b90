// Reads a run of plain answer text as inline-only Markdown into styled runs: emphasis, strong emphasis,
// strikethrough, code spans, links and autolinks, backslash escapes. Block syntax is not read and every space
// and line break stays as written.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace zepla::markdown {

struct InlineRun {
    QString text;
    bool emphasis = false;
    bool strong = false;
    bool strikethrough = false;
    bool code = false;
    // The link's address; empty outside links.
    QString link;

    friend bool operator==(const InlineRun&, const InlineRun&) = default;
};

class InlineMarkdownReader {
public:
    InlineMarkdownReader() = delete;

    // Linear in the text apart from the emphasis matching, which is bounded as CommonMark bounds it.
    // Markers that pair with nothing stay as literal text, so every input reads. Neighbouring runs of one
    // style are merged; an empty text gives no run.
    static QList<InlineRun> read(QStringView text);
};

} // namespace zepla::markdown
