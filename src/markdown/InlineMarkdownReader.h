// Reads a run of plain answer text as inline-only Markdown into styled runs: emphasis, strong emphasis,
// strikethrough, code spans, links and autolinks, backslash escapes. Block syntax is not read and every space
// and line break stays as written.
#pragma once

#include <QString>
#include <QStringView>
#include <QVarLengthArray>

namespace zepla::markdown {

struct InlineRun {
    QStringView text;
    bool emphasis = false;
    bool strong = false;
    bool strikethrough = false;
    bool code = false;
    // The link's address; empty outside links.
    QStringView link;

    friend bool operator==(const InlineRun&, const InlineRun&) = default;
};

// The runs of one text. They point into the text read, or into `joined` where a run is put together from
// several places (around an escape, say) or an address is made ("mailto:" before an e-mail autolink); so
// they hold as long as the text read does, and reading copies only what it must.
struct InlineRuns {
    QVarLengthArray<InlineRun, 16> runs;
    QString joined;
};

class InlineMarkdownReader {
public:
    InlineMarkdownReader() = delete;

    // Linear in the text apart from the emphasis matching, which is bounded as CommonMark bounds it.
    // Markers that pair with nothing stay as literal text, so every input reads. Neighbouring runs of one
    // style are merged; an empty text gives no run.
    static InlineRuns read(QStringView text);
};

} // namespace zepla::markdown
