#include "AppearanceStream.h"

#include "pdf/ContentMatrix.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace zepla::annotations {

namespace {

// The number of glyphs of a font, from its maximum profile.
quint32 glyphCount(const QRawFont& font) {
    const QByteArray maxp = font.fontTable("maxp");
    return maxp.size() >= 6 ? (quint32(uchar(maxp[4])) << 8) | uchar(maxp[5]) : 0;
}

class ContentWriter {
public:
    explicit ContentWriter(pdf::AppearanceStream& stream) : m_stream(stream) { m_out.reserve(256); }

    QByteArray& out() { return m_out; }

    void number(double value) {
        char buffer[32];
        if (std::abs(value) < 0.0005)
            value = 0;
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
        if (ec != std::errc())
            end = buffer;
        // Trailing zeros and a bare point say nothing.
        char* last = end;
        while (last > buffer && last[-1] == '0')
            --last;
        if (last > buffer && last[-1] == '.')
            --last;
        if (last == buffer || (last == buffer + 1 && buffer[0] == '-'))
            m_out.append('0');
        else
            m_out.append(buffer, last - buffer);
        m_out.append(' ');
    }

    void point(const QPointF& p) {
        number(p.x());
        number(p.y());
    }

    void op(const char* text) {
        m_out.append(text);
        m_out.append('\n');
    }

    void color(const QColor& c, const char* operatorName) {
        number(c.redF());
        number(c.greenF());
        number(c.blueF());
        op(operatorName);
    }

    // Sets the opacity through a named graphics state when the colour is translucent.
    void opacity(const QColor& c) {
        if (c.alpha() == 255)
            return;
        const double alpha = std::round(c.alphaF() * 1000) / 1000;
        QByteArray name;
        for (const auto& [known, value] : m_stream.opacities) {
            if (value == alpha)
                name = known;
        }
        if (name.isEmpty()) {
            name = "GS" + QByteArray::number(m_stream.opacities.size());
            m_stream.opacities.emplace_back(name, alpha);
        }
        m_out.append('/').append(name).append(" gs\n");
    }

    // The font of a file, named for the stream's resources the first time it is asked for.
    pdf::AppearanceStream::Font& font(const QString& file) {
        auto font = std::find_if(m_stream.fonts.begin(), m_stream.fonts.end(),
                                 [&](const pdf::AppearanceStream::Font& f) { return f.file == file; });
        if (font != m_stream.fonts.end())
            return *font;
        m_stream.fonts.push_back({"F" + QByteArray::number(m_stream.fonts.size()), file, {}, {}});
        return m_stream.fonts.back();
    }

    // The code that shows `glyph` of the font and reads as `text`; the glyph is noted for the subset the file
    // embeds.
    quint32 code(pdf::AppearanceStream::Font& font, const QRawFont& raw, quint32 glyph, const QString& text) {
        font.glyphs.push_back(glyph);
        quint32 next = glyphCount(raw);
        bool glyphTaken = false;
        for (const pdf::AppearanceStream::Font::Code& c : font.codes) {
            if (c.glyph == glyph && c.text == text)
                return c.code;
            glyphTaken = glyphTaken || c.code == glyph;
            next = std::max(next, c.code + 1);
        }
        // Codes past the glyphs reach their glyphs through a code-to-glyph map, which PDF allows for TrueType
        // outlines only (a font with a location table); a compact font's glyph reads as the characters it
        // first stood for.
        const bool ownCode = glyphTaken && !raw.fontTable("loca").isEmpty() && next <= 0xFFFF;
        if (glyphTaken && !ownCode)
            return glyph;
        const quint32 code = ownCode ? next : glyph;
        font.codes.push_back({code, glyph, text});
        return code;
    }

    void path(const QPainterPath& path) {
        QPointF subpathStart;
        QPointF current;
        const int count = path.elementCount();
        for (int i = 0; i < count; ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            if (e.isMoveTo()) {
                subpathStart = current = e;
                point(e);
                op("m");
            } else if (e.isLineTo()) {
                current = e;
                point(e);
                op("l");
            } else if (e.isCurveTo() && i + 2 < count) {
                point(e);
                point(path.elementAt(i + 1));
                current = path.elementAt(i + 2);
                point(current);
                op("c");
                i += 2;
            }
            // A subpath that returns to its start is closed, so strokes join there instead of ending.
            const bool subpathEnds = i + 1 >= count || path.elementAt(i + 1).isMoveTo();
            if (subpathEnds && !e.isMoveTo() && current == subpathStart)
                op("h");
        }
    }

private:
    pdf::AppearanceStream& m_stream;
    QByteArray& m_out = m_stream.content;
};

int capCode(Qt::PenCapStyle cap) {
    switch (cap) {
    case Qt::RoundCap:
        return 1;
    case Qt::SquareCap:
        return 2;
    default:
        return 0;
    }
}

int joinCode(Qt::PenJoinStyle join) {
    switch (join) {
    case Qt::RoundJoin:
        return 1;
    case Qt::BevelJoin:
        return 2;
    default:
        return 0;
    }
}

// A PDF text string in UTF-16 with its byte order mark, written in hex.
QByteArray textString(const QString& text) {
    QByteArray hex = "<FEFF";
    for (QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
    return hex + '>';
}

// A glyph as written: which of the run's glyphs, and the characters it reads as.
struct ShownGlyph {
    qsizetype index;
    QString text;
};

// The run's glyphs in the order they are written, each with the characters it reads as. Readers that take
// text in the order it is drawn read it in logical order: a right-to-left run is written last glyph first.
// A cluster's characters (a conjunct, a consonant with its vowel sign, a ligature) go to its glyphs in the
// written order, one each and the rest to its last glyph, so that the glyphs read as the cluster does,
// whichever way the shaper moved them; a glyph left without a character reads as a zero-width space.
std::vector<ShownGlyph> shownGlyphs(const TextRun& run) {
    std::vector<ShownGlyph> shown;
    const qsizetype count = run.glyphs.size();
    for (qsizetype k = 0; k < count; ++k)
        shown.push_back({run.rightToLeft ? count - 1 - k : k, {}});
    const auto clusterOf = [&](qsizetype at) { return run.clusters.value(shown[std::size_t(at)].index, 0); };
    for (qsizetype first = 0; first < count;) {
        const int cluster = clusterOf(first);
        qsizetype end = first + 1;
        while (end < count && clusterOf(end) == cluster)
            ++end;
        int next = int(run.text.size());
        for (int c : run.clusters) {
            if (c > cluster)
                next = std::min(next, c);
        }
        const QList<uint> characters = run.text.mid(cluster, next - cluster).toUcs4();
        for (qsizetype k = first; k < end; ++k) {
            const qsizetype from = k - first;
            const qsizetype to = k + 1 == end ? characters.size() : std::min(from + 1, characters.size());
            QString& text = shown[std::size_t(k)].text;
            for (qsizetype c = from; c < to; ++c)
                text += QString::fromUcs4(reinterpret_cast<const char32_t*>(&characters[c]), 1);
            if (text.isEmpty())
                text = QString(QChar(0x200B));
        }
        first = end;
    }
    return shown;
}

// What a run says it shows as a whole. Poppler lays a right-to-left run's text over it left to right and
// turns it around when it reads it out: such a run gives its characters last first.
QString spanText(const TextRun& run) {
    if (!run.rightToLeft)
        return run.text;
    QList<uint> characters = run.text.toUcs4();
    std::reverse(characters.begin(), characters.end());
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), characters.size());
}

void writeText(ContentWriter& w, const TextRun& run) {
    w.color(run.color, "rg");
    pdf::AppearanceStream::Font& font = w.font(run.fontFile);
    // Shaped glyphs (ligatures, joined letters, right-to-left runs) are read back by the characters each
    // stands for; the run also says what it shows as a whole, for readers that take that instead.
    if (!run.text.isEmpty())
        w.out().append("/Span <</ActualText ").append(textString(spanText(run))).append(">> BDC\n");
    w.out().append("BT /").append(font.name).append(' ');
    w.number(run.font.pixelSize());
    w.op("Tf");
    // Glyphs that follow the one before by its advance share a string; one placed elsewhere (kerned, a raised
    // mark, the next glyph of a right-to-left run) starts a new string at its own place.
    const QList<QPointF> advances = run.font.advancesForGlyphIndexes(run.glyphs, QRawFont::UseDesignMetrics);
    QPointF expected;
    bool open = false;
    for (const ShownGlyph& glyph : shownGlyphs(run)) {
        const qsizetype i = glyph.index;
        const QPointF at = run.origin + run.positions.value(i);
        if (!open || std::abs(at.x() - expected.x()) > 0.005 || std::abs(at.y() - expected.y()) > 0.005) {
            if (open)
                w.out().append("> Tj\n");
            w.out().append("1 0 0 1 ");
            w.point(at);
            w.out().append("Tm <");
            open = true;
        }
        const quint32 code = w.code(font, run.font, run.glyphs[i], glyph.text);
        w.out().append(QByteArray::number(code, 16).rightJustified(4, '0'));
        expected = at + QPointF(advances.value(i).x(), 0);
    }
    w.out().append(open ? "> Tj ET\n" : "ET\n");
    if (!run.text.isEmpty())
        w.op("EMC");
}

// The picture's colour and opacity samples, and the operators that stretch it over its rectangle.
void writeImage(ContentWriter& w, pdf::AppearanceStream& stream, const QImage& image, const QRectF& rect) {
    pdf::ImageSamples samples = pdf::imageSamples(image);
    const QByteArray name = "Im" + QByteArray::number(stream.images.size());
    stream.images.emplace_back(name, std::move(samples));
    w.number(rect.width());
    w.out().append("0 0 ");
    w.number(rect.height());
    w.point(rect.topLeft());
    w.op("cm");
    w.out().append('/').append(name).append(" Do\n");
}

} // namespace

pdf::AppearanceStream appearanceStream(const Appearance& appearance) {
    pdf::AppearanceStream stream;
    stream.bbox = appearance.bbox();
    stream.matrix = appearance.matrix();
    stream.multiplies = appearance.multiplies();
    ContentWriter w(stream);
    for (const DrawOp& op : appearance.ops()) {
        w.op("q");
        w.opacity(op.color);
        switch (op.kind) {
        case DrawOp::Kind::Fill:
            w.color(op.color, "rg");
            w.path(op.path);
            w.op(op.path.fillRule() == Qt::WindingFill ? "f" : "f*");
            break;
        case DrawOp::Kind::Stroke:
            w.color(op.color, "RG");
            w.number(op.stroke.width);
            w.op("w");
            w.number(capCode(op.stroke.cap));
            w.op("J");
            w.number(joinCode(op.stroke.join));
            w.op("j");
            if (!op.stroke.dash.isEmpty()) {
                w.out().append('[');
                for (qreal length : op.stroke.dash)
                    w.number(length);
                w.out().append("] 0 d\n");
            }
            w.path(op.path);
            w.op("S");
            break;
        case DrawOp::Kind::Text:
            writeText(w, op.text);
            break;
        case DrawOp::Kind::Image:
            writeImage(w, stream, op.image, op.imageRect);
            break;
        }
        w.op("Q");
    }
    return stream;
}

void transformContent(pdf::AppearanceStream& stream, const QTransform& transform) {
    stream.content = "q " + pdf::matrixOperator(transform) + '\n' + stream.content + "Q\n";
}

} // namespace zepla::annotations
