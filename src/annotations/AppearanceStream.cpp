#include "AppearanceStream.h"

#include "pdf/ContentMatrix.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace zepla::annotations {

namespace {

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

    // The font's resource name; its glyphs are noted for the subset the file embeds.
    QByteArray fontName(const QString& file, const QList<quint32>& glyphs) {
        auto font = std::find_if(m_stream.fonts.begin(), m_stream.fonts.end(),
                                 [&](const pdf::AppearanceStream::Font& f) { return f.file == file; });
        if (font == m_stream.fonts.end()) {
            m_stream.fonts.push_back({"F" + QByteArray::number(m_stream.fonts.size()), file, {}});
            font = m_stream.fonts.end() - 1;
        }
        font->glyphs.insert(font->glyphs.end(), glyphs.begin(), glyphs.end());
        return font->name;
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

// What a run says it shows. Readers take the text of a right-to-left run, like its glyphs, as laid out left
// to right and turn it around when they read it out: such a run gives its characters last first.
QString spanText(const TextRun& run) {
    if (!run.rightToLeft)
        return run.text;
    QList<uint> characters = run.text.toUcs4();
    std::reverse(characters.begin(), characters.end());
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), characters.size());
}

void writeText(ContentWriter& w, const TextRun& run) {
    w.color(run.color, "rg");
    const QByteArray font = w.fontName(run.fontFile, run.glyphs);
    // Shaped glyphs (ligatures, joined letters, right-to-left runs) cannot be read back one by one: the run
    // says what it shows, in reading order, to readers that extract, copy or search text.
    if (!run.text.isEmpty())
        w.out().append("/Span <</ActualText ").append(textString(spanText(run))).append(">> BDC\n");
    w.out().append("BT /").append(font).append(' ');
    w.number(run.font.pixelSize());
    w.op("Tf");
    // Glyphs that follow the one before by its advance share a string; one placed elsewhere (kerned, a raised
    // mark) starts a new string at its own place.
    const QList<QPointF> advances = run.font.advancesForGlyphIndexes(run.glyphs, QRawFont::UseDesignMetrics);
    QPointF expected;
    bool open = false;
    for (qsizetype i = 0; i < run.glyphs.size(); ++i) {
        const QPointF at = run.origin + run.positions.value(i);
        if (!open || std::abs(at.x() - expected.x()) > 0.005 || std::abs(at.y() - expected.y()) > 0.005) {
            if (open)
                w.out().append("> Tj\n");
            w.out().append("1 0 0 1 ");
            w.point(at);
            w.out().append("Tm <");
            open = true;
        }
        w.out().append(QByteArray::number(run.glyphs[i], 16).rightJustified(4, '0'));
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
