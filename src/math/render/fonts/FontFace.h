// One math font file read into memory once per process: its HarfBuzz face, glyph names and design metrics.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QRawFont>
#include <QRectF>
#include <QString>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct hb_blob_t;
struct hb_face_t;
struct hb_font_t;

namespace zepla::math {

class FontFace {
public:
    enum class LoadError { none, unreadableFile, notAFont };

    struct Loaded {
        std::shared_ptr<const FontFace> face;
        LoadError error = LoadError::none;
    };

    // The face of the file at `path`, shared by every caller of the process; the file is read the first time.
    static Loaded fromFile(const QString& path);
    // A face over bytes already in memory; empty data or data HarfBuzz finds no glyphs in is not a font.
    static Loaded fromData(const QByteArray& data);

    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const QByteArray& data() const { return m_data; }
    unsigned unitsPerEm() const { return m_unitsPerEm; }
    unsigned glyphCount() const { return m_glyphCount; }
    QString postScriptName() const;
    QString fullName() const;

    // The glyph's name in the font's own glyph-name table; glyphs of a font without names are called
    // "gid<N>", so that every glyph of the font has a name that leads back to it. Empty for an id past the
    // last glyph. Names and glyphs are looked up once and kept: the math table asks for them at every
    // delimiter, radical and accent.
    QString nameForGlyph(quint16 glyph) const;
    // The glyph of that name, or 0 when the font has no such name.
    quint16 glyphWithName(const QString& name) const;
    // The glyph the font's character map gives a Unicode code point, or 0.
    quint16 glyphForCodePoint(char32_t codePoint) const;
    // The glyph the font draws a code point with in a script style, `scriptLevel` 1 for script and 2 for
    // script of script: its script-style form (the OpenType "ssty" feature) where the font has one, else
    // the glyph of its character map. Looked up once and kept.
    quint16 scriptStyleGlyph(char32_t codePoint, int scriptLevel) const;

    // Horizontal advance and ink bounds in design units, y growing upward. The bounds of a glyph are worked
    // out once (outlines in CFF fonts are costly to measure) and kept.
    int advance(quint16 glyph) const;
    QRectF bounds(quint16 glyph) const;
    // The height of a lower-case x as a share of the em: the ink of the font's x, else the font's own
    // figure; 0 when it has neither.
    qreal xHeightPerEm() const;

    // HarfBuzz's view of the font at one design unit per unit, for readers of its OpenType tables. It is
    // immutable, so any thread may read through it.
    hb_font_t* hbFont() const { return m_font; }
    // The font for drawing at `pixelSize`, made from the same bytes (needs a QGuiApplication). A QRawFont,
    // like the font engine under it, belongs to the thread that made it: each thread loads the face once
    // and keeps its sizes of it, until it lets them go with releaseThreadFonts().
    QRawFont rawFont(qreal pixelSize) const;
    // Drops the drawing fonts the calling thread made. A worker thread that drew calls it before it ends,
    // while Qt's font machinery of the thread is still there to take them down.
    static void releaseThreadFonts();

private:
    explicit FontFace(const QByteArray& data);
    QString nameEntry(unsigned nameId) const;
    QRectF measureBounds(quint16 glyph) const;
    QString readNameForGlyph(quint16 glyph) const;
    quint16 readGlyphWithName(const QString& name) const;
    quint16 readScriptStyleGlyph(char32_t codePoint, int scriptLevel) const;

    QByteArray m_data;
    hb_blob_t* m_blob = nullptr;
    hb_face_t* m_face = nullptr;
    hb_font_t* m_font = nullptr;
    unsigned m_unitsPerEm = 0;
    unsigned m_glyphCount = 0;
    // Tells this face's drawing fonts apart in the threads' caches; never reused, unlike an address.
    const quint64 m_serial;
    mutable std::mutex m_boundsLock;
    mutable std::vector<std::optional<QRectF>> m_bounds;
    mutable std::mutex m_namesLock;
    mutable std::vector<QString> m_names;
    mutable QHash<QString, quint16> m_glyphsByName;
    mutable std::mutex m_scriptGlyphsLock;
    mutable QHash<quint64, quint16> m_scriptGlyphs;
};

} // namespace zepla::math
