#include "TextLayout.h"

#include "core/FontFiles.h"

#include <hb.h>
#include <unicode/ubidi.h>
#include <unicode/ubrk.h>

#include <QHash>

#include <algorithm>
#include <map>
#include <memory>

namespace zepla::annotations {

namespace {

template <class T, void (*Destroy)(T*)> struct Deleter {
    void operator()(T* p) const { Destroy(p); }
};
using HbFont = std::unique_ptr<hb_font_t, Deleter<hb_font_t, hb_font_destroy>>;
using HbBuffer = std::unique_ptr<hb_buffer_t, Deleter<hb_buffer_t, hb_buffer_destroy>>;
using Bidi = std::unique_ptr<UBiDi, Deleter<UBiDi, ubidi_close>>;
using Breaks = std::unique_ptr<UBreakIterator, Deleter<UBreakIterator, ubrk_close>>;

// Reading a font file is far slower than laying out a note; fonts are kept per thread, as QRawFont is.
QRawFont rawFont(const QString& file, qreal size) {
    thread_local QHash<QPair<QString, qreal>, QRawFont> fonts;
    const auto key = qMakePair(file, size);
    auto found = fonts.find(key);
    if (found == fonts.end())
        found = fonts.insert(key, QRawFont(file, size));
    return *found;
}

// The shaping font of a file, at its design units.
hb_font_t* shapingFont(const QString& file) {
    thread_local std::map<QString, HbFont> fonts;
    auto found = fonts.find(file);
    if (found == fonts.end()) {
        hb_blob_t* blob = hb_blob_create_from_file(file.toLocal8Bit().constData());
        hb_face_t* face = hb_face_create(blob, 0);
        found = fonts.emplace(file, HbFont(hb_font_create(face))).first;
        hb_face_destroy(face);
        hb_blob_destroy(blob);
    }
    return found->second.get();
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

bool followsItsBase(char32_t c) {
    const QChar::Category category = QChar::category(c);
    return QChar::isSpace(c) || category == QChar::Mark_NonSpacing ||
           category == QChar::Mark_SpacingCombining || category == QChar::Mark_Enclosing || c == 0x200C ||
           c == 0x200D;
}

// For each UTF-16 unit of a paragraph, what its character is set with: font and script.
struct Character {
    int font = 0;
    hb_script_t script = HB_SCRIPT_COMMON;
};

std::vector<Character> characters(Fonts& fonts, const QString& text) {
    std::vector<Character> result(std::size_t(text.size()));
    hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
    const QRawFont primary = fonts.fonts.first(); // a copy: fallbacks may grow the list
    Character previous;
    for (qsizetype i = 0; i < text.size();) {
        const char32_t c = QChar::isHighSurrogate(text[i].unicode()) && i + 1 < text.size()
                               ? QChar::surrogateToUcs4(text[i], text[i + 1])
                               : text[i].unicode();
        const int units = c > 0xFFFF ? 2 : 1;
        Character here{0, hb_unicode_script(unicode, c)};
        if (followsItsBase(c) && i > 0) {
            here.font = previous.font;
        } else if (!primary.supportsCharacter(c)) {
            const QString file = platform::fontFileCovering(c);
            if (!file.isEmpty())
                here.font = fonts.indexOf(file);
        }
        // Characters of every script (spaces, digits, punctuation) go with the script around them.
        if (here.script == HB_SCRIPT_COMMON || here.script == HB_SCRIPT_INHERITED ||
            here.script == HB_SCRIPT_UNKNOWN)
            here.script = previous.script;
        for (int u = 0; u < units; ++u)
            result[std::size_t(i + u)] = here;
        previous = here;
        i += units;
    }
    // Leading characters of no script take the first script that follows.
    hb_script_t next = HB_SCRIPT_COMMON;
    for (auto it = result.rbegin(); it != result.rend(); ++it) {
        if (it->script == HB_SCRIPT_COMMON)
            it->script = next;
        else
            next = it->script;
    }
    return result;
}

struct Glyph {
    quint32 index;
    QPointF position; // from the pen at the run's start, y up
    qreal advance;
    int cluster; // UTF-16 index of the first character it shows
};

// Shapes [from, to) of the paragraph in one font, script and direction, the text around it given as context
// so that letters join across the edges. Glyphs come in visual order, left to right.
std::vector<Glyph> shape(const Fonts& fonts, int font, const QString& text, int from, int to,
                         hb_script_t script, bool rightToLeft) {
    const HbBuffer buffer(hb_buffer_create());
    hb_buffer_add_utf16(buffer.get(), reinterpret_cast<const uint16_t*>(text.utf16()), int(text.size()),
                        unsigned(from), to - from);
    hb_buffer_set_direction(buffer.get(), rightToLeft ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_buffer_set_script(buffer.get(), script);
    hb_buffer_set_language(buffer.get(), hb_language_get_default());
    hb_font_t* hbFont = shapingFont(fonts.files[font]);
    hb_shape(hbFont, buffer.get(), nullptr, 0);
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer.get(), &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer.get(), &count);
    const qreal scale = fonts.size / qreal(hb_face_get_upem(hb_font_get_face(hbFont)));
    std::vector<Glyph> glyphs;
    glyphs.reserve(count);
    qreal pen = 0;
    for (unsigned i = 0; i < count; ++i) {
        glyphs.push_back(Glyph{info[i].codepoint,
                               QPointF(pen + pos[i].x_offset * scale, pos[i].y_offset * scale),
                               pos[i].x_advance * scale, int(info[i].cluster)});
        pen += pos[i].x_advance * scale;
    }
    return glyphs;
}

// One paragraph: its characters, bidirectional levels and line-break opportunities.
class Paragraph {
public:
    Paragraph(Fonts& fonts, const QString& text)
        : m_fonts(fonts), m_text(text), m_chars(characters(fonts, text)) {
        UErrorCode status = U_ZERO_ERROR;
        m_bidi.reset(ubidi_open());
        ubidi_setPara(m_bidi.get(), reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()),
                      UBIDI_DEFAULT_LTR, nullptr, &status);
        m_valid = U_SUCCESS(status);
    }

    bool rightToLeft() const { return m_valid && (ubidi_getParaLevel(m_bidi.get()) & 1); }

    // The positions where a line may end, in increasing order, the paragraph's end last.
    std::vector<int> breakOpportunities() const {
        std::vector<int> breaks;
        UErrorCode status = U_ZERO_ERROR;
        const Breaks lines(ubrk_open(UBRK_LINE, nullptr, reinterpret_cast<const UChar*>(m_text.utf16()),
                                     int32_t(m_text.size()), &status));
        if (U_SUCCESS(status)) {
            for (int32_t at = ubrk_next(lines.get()); at != UBRK_DONE; at = ubrk_next(lines.get()))
                breaks.push_back(at);
        }
        if (breaks.empty() || breaks.back() != m_text.size())
            breaks.push_back(int(m_text.size()));
        return breaks;
    }

    // Where the line [from, to) stops showing: its trailing white space hangs past the edge.
    int visibleEnd(int from, int to) const {
        while (to > from && m_text[to - 1].isSpace())
            --to;
        return to;
    }

    // The runs of [from, to) in visual order, each in one font, script and direction, placed from x = 0.
    std::vector<TextRun> layLine(int from, int to, const QColor& color) const {
        std::vector<TextRun> runs;
        if (from >= to)
            return runs;
        std::vector<std::pair<int, int>> visual; // logical ranges, left to right
        std::vector<bool> rtl;
        UErrorCode status = U_ZERO_ERROR;
        const Bidi line(ubidi_open());
        if (m_valid)
            ubidi_setLine(m_bidi.get(), from, to, line.get(), &status);
        const int32_t count = m_valid && U_SUCCESS(status) ? ubidi_countRuns(line.get(), &status) : 0;
        for (int32_t i = 0; i < count && U_SUCCESS(status); ++i) {
            int32_t start = 0, length = 0;
            const bool backwards = ubidi_getVisualRun(line.get(), i, &start, &length) == UBIDI_RTL;
            // Within a run, stretches of one font and script; reversed where the run reads right to left.
            std::vector<std::pair<int, int>> pieces;
            for (int at = from + start; at < from + start + length;) {
                int end = at + 1;
                while (end < from + start + length && sameItem(at, end))
                    ++end;
                pieces.emplace_back(at, end);
                at = end;
            }
            if (backwards)
                std::reverse(pieces.begin(), pieces.end());
            for (const auto& piece : pieces) {
                visual.push_back(piece);
                rtl.push_back(backwards);
            }
        }
        if (visual.empty()) {
            visual.emplace_back(from, to);
            rtl.push_back(false);
        }
        qreal x = 0;
        for (std::size_t i = 0; i < visual.size(); ++i) {
            const auto [a, b] = visual[i];
            const Character& item = m_chars[std::size_t(a)];
            TextRun run{m_fonts.fonts[item.font],
                        m_fonts.files[item.font],
                        {},
                        {},
                        0,
                        QPointF(x, 0),
                        color,
                        m_text.mid(a, b - a),
                        {},
                        rtl[i]};
            for (const Glyph& g : shape(m_fonts, item.font, m_text, a, b, item.script, rtl[i])) {
                run.glyphs.append(g.index);
                run.positions.append(g.position);
                run.clusters.append(g.cluster - a);
                run.width += g.advance;
            }
            x += run.width;
            runs.push_back(std::move(run));
        }
        return runs;
    }

    // The width of [from, to) set on one line.
    qreal width(int from, int to) const {
        qreal w = 0;
        for (int at = from; at < to;) {
            int end = at + 1;
            while (end < to && sameItem(at, end) && level(at) == level(end))
                ++end;
            const Character& item = m_chars[std::size_t(at)];
            for (const Glyph& g : shape(m_fonts, item.font, m_text, at, end, item.script, level(at) & 1))
                w += g.advance;
            at = end;
        }
        return w;
    }

    // Lines of at most `maxWidth`: broken at the last opportunity that fits, inside a word only when the
    // word alone is wider than the line. Each line as [from, to), trailing spaces included.
    std::vector<std::pair<int, int>> breakLines(qreal maxWidth) const {
        std::vector<std::pair<int, int>> lines;
        const std::vector<int> breaks = breakOpportunities();
        const int length = int(m_text.size());
        int start = 0;
        while (start < length) {
            int end = -1;
            for (int b : breaks) {
                if (b <= start)
                    continue;
                if (end >= 0 && width(start, visibleEnd(start, b)) > maxWidth)
                    break;
                end = b;
            }
            // The first opportunity is already too wide: as many characters as fit, at least one.
            if (width(start, visibleEnd(start, end)) > maxWidth) {
                int fit = start + 1;
                while (fit < end && width(start, fit + 1) <= maxWidth)
                    ++fit;
                if (fit < length && m_text[fit].isLowSurrogate())
                    ++fit;
                end = fit;
            }
            lines.emplace_back(start, end);
            start = end;
        }
        if (lines.empty())
            lines.emplace_back(0, 0);
        return lines;
    }

private:
    bool sameItem(int a, int b) const {
        return m_chars[std::size_t(a)].font == m_chars[std::size_t(b)].font &&
               m_chars[std::size_t(a)].script == m_chars[std::size_t(b)].script;
    }
    UBiDiLevel level(int at) const { return m_valid ? ubidi_getLevelAt(m_bidi.get(), at) : 0; }

    Fonts& m_fonts;
    const QString& m_text;
    std::vector<Character> m_chars;
    Bidi m_bidi;
    bool m_valid = false;
};

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
    for (const QString& paragraphText : paragraphs) {
        const Paragraph paragraph(fonts, paragraphText);
        width = std::max(width, paragraph.width(0, paragraph.visibleEnd(0, int(paragraphText.size()))));
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
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (const QString& paragraphText : paragraphs) {
        const Paragraph paragraph(fonts, paragraphText);
        for (const auto& [from, to] : paragraph.breakLines(box.width())) {
            if (baseline - font.descent() < box.top() - 0.01)
                return runs;
            std::vector<TextRun> line = paragraph.layLine(from, paragraph.visibleEnd(from, to), color);
            // Lines of a right-to-left paragraph end at the box's right edge.
            qreal start = box.left();
            if (paragraph.rightToLeft() && !line.empty()) {
                start = box.right() - (line.back().origin.x() + line.back().width);
            }
            for (TextRun& run : line) {
                run.origin += QPointF(start, baseline);
                runs.push_back(std::move(run));
            }
            baseline -= lineHeight;
        }
    }
    return runs;
}

} // namespace zepla::annotations
