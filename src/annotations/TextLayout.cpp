#include "TextLayout.h"

#include "core/FontFiles.h"

#include <QHash>

#include <numeric>

namespace zepla::annotations {

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

// The fonts a text is set in: the chosen one first, then fallbacks for characters it lacks.
struct Fonts {
    qreal size;
    QStringList files;
    QList<QRawFont> fonts;

    int indexOf(const QString& file) {
        const qsizetype at = files.indexOf(file);
        if (at >= 0)
            return int(at);
        files.append(file);
        fonts.append(rawFont(file, size));
        return int(files.size()) - 1;
    }
};

// One entry per character of a paragraph.
struct Measured {
    QList<quint32> glyphs;
    QList<qreal> advances;
    QList<int> fonts; // into Fonts
    QList<bool> isSpace;
};

Measured measure(Fonts& fonts, const QString& text) {
    Measured m;
    const QRawFont primary = fonts.fonts.first(); // a copy: fallbacks may grow the list
    for (char32_t character : text.toUcs4()) {
        const QString one = QString::fromUcs4(&character, 1);
        int font = 0;
        QList<quint32> glyph = primary.glyphIndexesForString(one);
        const bool space = QChar::isSpace(character);
        if (!space && (glyph.isEmpty() || glyph.first() == 0)) {
            const QString file = platform::fontFileCovering(character);
            if (!file.isEmpty()) {
                const int fallback = fonts.indexOf(file);
                const QList<quint32> found = fonts.fonts[fallback].glyphIndexesForString(one);
                if (!found.isEmpty() && found.first() != 0) {
                    font = fallback;
                    glyph = found;
                }
            }
        }
        const quint32 index = glyph.isEmpty() ? 0 : glyph.first();
        const QList<QPointF> advance =
            fonts.fonts[font].advancesForGlyphIndexes({index}, QRawFont::UseDesignMetrics);
        m.glyphs.append(index);
        m.advances.append(advance.isEmpty() ? 0 : advance.first().x());
        m.fonts.append(font);
        m.isSpace.append(space);
    }
    return m;
}

// Where lines break in one paragraph: after spaces when a word would overflow, inside a word that is
// wider than the line by itself. Returns [start, end) pairs of glyph indices; trailing spaces dropped.
std::vector<std::pair<qsizetype, qsizetype>> breakLines(const Measured& m, qreal width) {
    std::vector<std::pair<qsizetype, qsizetype>> lines;
    const QList<bool>& isSpace = m.isSpace;
    const qsizetype count = m.glyphs.size();
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

QSizeF naturalTextSize(const QString& text, const QString& fontFile, qreal size) {
    if (fontFile.isEmpty() || size <= 0)
        return {};
    Fonts fonts{size, {fontFile}, {rawFont(fontFile, size)}};
    const QRawFont font = fonts.fonts.first();
    if (!font.isValid())
        return {};
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    qreal width = 0;
    for (const QString& paragraph : paragraphs) {
        const Measured m = measure(fonts, paragraph);
        width = std::max(width, std::accumulate(m.advances.begin(), m.advances.end(), qreal(0)));
    }
    return QSizeF(width, paragraphs.size() * (font.ascent() + font.descent() + font.leading()));
}

std::vector<TextRun> layoutText(const QString& text, const QString& fontFile, qreal size, const QColor& color,
                                const QRectF& box) {
    std::vector<TextRun> runs;
    if (text.isEmpty() || fontFile.isEmpty() || size <= 0)
        return runs;
    Fonts fonts{size, {fontFile}, {rawFont(fontFile, size)}};
    const QRawFont font = fonts.fonts.first();
    if (!font.isValid())
        return runs;
    const qreal lineHeight = font.ascent() + font.descent() + font.leading();
    // Page space runs upward: the first baseline sits one ascent below the box's upper edge.
    qreal baseline = box.bottom() - font.ascent();
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        const Measured m = measure(fonts, paragraph);
        for (const auto& [from, to] : breakLines(m, box.width())) {
            if (baseline - font.descent() < box.top() - 0.01)
                return runs;
            // One run for each stretch of the line in one font.
            qreal x = 0;
            for (qsizetype i = from; i < to;) {
                const int f = m.fonts[i];
                TextRun run{fonts.fonts[f], fonts.files[f], {}, {}, QPointF(box.left() + x, baseline), color};
                qreal offset = 0;
                for (; i < to && m.fonts[i] == f; ++i) {
                    run.glyphs.append(m.glyphs[i]);
                    run.offsets.append(offset);
                    offset += m.advances[i];
                }
                x += offset;
                runs.push_back(run);
            }
            baseline -= lineHeight;
        }
    }
    return runs;
}

} // namespace zepla::annotations
