#include "OCRTextLayer.h"

#include "core/FontFiles.h"

#include <QHash>
#include <QRawFont>

#include <optional>

namespace zepla::document::OCRTextLayer {

namespace {

// Fonts are measured at this many pixels to the em; advances are then taken in ems.
constexpr qreal unitsPerEm = 1000;

QRawFont rawFont(const QString& file) {
    thread_local QHash<QString, QRawFont> fonts;
    auto found = fonts.find(file);
    if (found == fonts.end())
        found = fonts.insert(file, QRawFont(file, unitsPerEm));
    return *found;
}

struct Glyph {
    QString file;
    quint32 index = 0;
    qreal advance = 0; // ems
};

std::optional<Glyph> glyphIn(const QString& file, char32_t character) {
    if (file.isEmpty())
        return std::nullopt;
    const QRawFont font = rawFont(file);
    const QList<quint32> indices = font.glyphIndexesForString(QString::fromUcs4(&character, 1));
    if (indices.size() != 1 || indices.first() == 0)
        return std::nullopt;
    const QList<QPointF> advances = font.advancesForGlyphIndexes(indices, QRawFont::UseDesignMetrics);
    return Glyph{file, indices.first(), advances.value(0).x() / unitsPerEm};
}

// The glyphs of a word: from the text face, or from a face that has a character it lacks. Characters no
// installed face has are left out.
std::vector<Glyph> glyphs(const QString& word) {
    static const QString textFace = platform::fontFileFor(QStringLiteral("sans-serif"), 400);
    std::vector<Glyph> found;
    for (char32_t character : word.toUcs4()) {
        std::optional<Glyph> glyph = glyphIn(textFace, character);
        if (!glyph)
            glyph = glyphIn(platform::fontFileCovering(character), character);
        if (glyph)
            found.push_back(*glyph);
    }
    return found;
}

} // namespace

std::vector<pdf::InvisibleRun> runs(const std::vector<ocr::Line>& lines, const QTransform& imageToPage) {
    std::vector<pdf::InvisibleRun> result;
    for (const ocr::Line& line : lines) {
        if (line.text.isEmpty() || line.box.height() <= 0)
            continue;
        const qreal size = line.box.height() * 0.85;
        const qreal baseline = line.box.top() + line.box.height();
        for (const ocr::Word& word : line.words) {
            const std::vector<Glyph> drawn = glyphs(word.text);
            qreal natural = 0;
            for (const Glyph& glyph : drawn)
                natural += glyph.advance * size;
            if (drawn.empty() || natural <= 0)
                continue;
            const qreal stretch = word.box.width() / natural;
            // One run for each stretch of the word in one font.
            qreal x = word.box.left();
            for (std::size_t i = 0; i < drawn.size();) {
                pdf::InvisibleRun run{drawn[i].file, {}, {}};
                // Text space (y up, one em) to the render's pixels (y down), then to page space.
                run.matrix = QTransform(stretch * size, 0, 0, -size, x, baseline) * imageToPage;
                for (; i < drawn.size() && drawn[i].file == run.fontFile; ++i) {
                    run.glyphs.push_back(drawn[i].index);
                    x += drawn[i].advance * size * stretch;
                }
                result.push_back(std::move(run));
            }
        }
    }
    return result;
}

} // namespace zepla::document::OCRTextLayer
