#include "TextLayout.h"

#include <fontconfig/fontconfig.h>

#include <QHash>
#include <QMutex>

namespace zepla::annotations {

QString fontFileFor(const QString& family, QFont::Weight weight) {
    static QMutex mutex;
    static QHash<QPair<QString, int>, QString> cache;
    const QMutexLocker lock(&mutex);
    const auto key = qMakePair(family, int(weight));
    if (const auto found = cache.constFind(key); found != cache.cend())
        return *found;
    QString file;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.toUtf8().constData()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(int(weight)));
    // Outline fonts only: bitmap faces cannot be embedded as glyph outlines.
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
            file = QString::fromUtf8(reinterpret_cast<const char*>(path));
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    cache.insert(key, file);
    return file;
}

namespace {

// Reading a font file is far slower than laying out a note; fonts are kept per thread, as QRawFont is.
QRawFont rawFont(const QString& file, qreal size) {
    thread_local QHash<QPair<QString, qreal>, QRawFont> fonts;
    const auto key = qMakePair(file, size);
    auto found = fonts.find(key);
    if (found == fonts.end())
        found = fonts.insert(key, QRawFont(file, size));
    return *found;
}

struct Measured {
    QList<quint32> glyphs;
    QList<qreal> advances;
};

Measured measure(const QRawFont& font, const QString& text) {
    Measured m;
    m.glyphs = font.glyphIndexesForString(text);
    const QList<QPointF> advances = font.advancesForGlyphIndexes(m.glyphs, QRawFont::UseDesignMetrics);
    for (const QPointF& a : advances)
        m.advances.append(a.x());
    return m;
}

// Where lines break in one paragraph: after spaces when a word would overflow, inside a word that is
// wider than the line by itself. Returns [start, end) pairs of glyph indices; trailing spaces dropped.
std::vector<std::pair<qsizetype, qsizetype>> breakLines(const QString& paragraph, const Measured& m,
                                                        qreal width) {
    std::vector<std::pair<qsizetype, qsizetype>> lines;
    // Glyphs follow characters one to one except for surrogate pairs; map glyphs to whether they are spaces.
    QList<bool> isSpace;
    for (qsizetype i = 0; i < paragraph.size(); ++i) {
        if (paragraph[i].isLowSurrogate())
            continue;
        isSpace.append(paragraph[i].isSpace());
    }
    const qsizetype count = std::min(m.glyphs.size(), isSpace.size());
    qsizetype start = 0;
    while (start < count) {
        qreal x = 0;
        qsizetype end = start;
        qsizetype lastBreak = -1;
        while (end < count && (x + m.advances[end] <= width || end == start)) {
            if (isSpace[end])
                lastBreak = end;
            x += m.advances[end];
            ++end;
        }
        if (end < count && lastBreak > start && !isSpace[end])
            end = lastBreak + 1;
        qsizetype visibleEnd = end;
        while (visibleEnd > start && isSpace[visibleEnd - 1])
            --visibleEnd;
        lines.emplace_back(start, visibleEnd);
        start = end;
        while (start < count && isSpace[start])
            ++start;
    }
    if (lines.empty())
        lines.emplace_back(0, 0);
    return lines;
}

} // namespace

std::vector<TextRun> layoutText(const QString& text, const QString& fontFile, qreal size, const QColor& color,
                                const QRectF& box) {
    std::vector<TextRun> runs;
    if (text.isEmpty() || fontFile.isEmpty() || size <= 0)
        return runs;
    const QRawFont font = rawFont(fontFile, size);
    if (!font.isValid())
        return runs;
    const qreal lineHeight = font.ascent() + font.descent() + font.leading();
    // Page space runs upward: the first baseline sits one ascent below the box's upper edge.
    qreal baseline = box.bottom() - font.ascent();
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        const Measured m = measure(font, paragraph);
        for (const auto& [from, to] : breakLines(paragraph, m, box.width())) {
            if (baseline - font.descent() < box.top() - 0.01)
                return runs;
            TextRun run{font, fontFile, {}, {}, QPointF(box.left(), baseline), color};
            qreal x = 0;
            for (qsizetype i = from; i < to; ++i) {
                run.glyphs.append(m.glyphs[i]);
                run.offsets.append(x);
                x += m.advances[i];
            }
            if (!run.glyphs.isEmpty())
                runs.push_back(run);
            baseline -= lineHeight;
        }
    }
    return runs;
}

} // namespace zepla::annotations
