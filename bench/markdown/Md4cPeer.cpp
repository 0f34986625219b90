// md4c as the Markdown benchmarks' peer.
#include "Md4cPeer.h"

#include <md4c.h>

namespace {

constexpr unsigned flags = MD_FLAG_TABLES | MD_FLAG_STRIKETHROUGH | MD_FLAG_LATEXMATHSPANS | MD_FLAG_NOHTML |
                           MD_FLAG_NOINDENTEDCODEBLOCKS;

int ignoreBlock(MD_BLOCKTYPE, void*, void*) {
    return 0;
}
int ignoreSpan(MD_SPANTYPE, void*, void*) {
    return 0;
}
int countText(MD_TEXTTYPE, const MD_CHAR*, MD_SIZE, void* count) {
    ++*static_cast<qsizetype*>(count);
    return 0;
}

const MD_PARSER parser{0,          flags,     ignoreBlock, ignoreBlock, ignoreSpan,
                       ignoreSpan, countText, nullptr,     nullptr};

} // namespace

qsizetype md4cParse(const QByteArray& utf8) {
    qsizetype texts = 0;
    md_parse(utf8.constData(), MD_SIZE(utf8.size()), &parser, &texts);
    return texts;
}
