// One math font file read into memory once per process: its HarfBuzz face, glyph names and design metrics.
#include "fonts/FontFace.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPair>

#include <hb-ot.h>
#include <hb.h>

#include <atomic>

namespace zepla::math {

namespace {

constexpr char kNamelessGlyphPrefix[] = "gid";

std::atomic<quint64> nextSerial = 1;

// The drawing fonts one thread made: each face loaded once, by its serial, and the sizes it draws at.
struct ThreadFonts {
    QHash<quint64, QRawFont> faces;
    QHash<QPair<quint64, qreal>, QRawFont> sizes;
};

ThreadFonts& threadFonts() {
    thread_local ThreadFonts fonts;
    return fonts;
}

} // namespace

FontFace::Loaded FontFace::fromFile(const QString& path) {
    static std::mutex lock;
    static QHash<QString, std::shared_ptr<const FontFace>> faces;

    const QString key = QFileInfo(path).absoluteFilePath();
    std::lock_guard guard(lock);
    if (auto found = faces.constFind(key); found != faces.constEnd())
        return {*found, LoadError::none};
    QFile file(key);
    if (!file.open(QIODevice::ReadOnly))
        return {nullptr, LoadError::unreadableFile};
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError || data.isEmpty())
        return {nullptr, LoadError::unreadableFile};
    Loaded loaded = fromData(data);
    if (loaded.face)
        faces.insert(key, loaded.face);
    return loaded;
}

FontFace::Loaded FontFace::fromData(const QByteArray& data) {
    if (data.isEmpty())
        return {nullptr, LoadError::unreadableFile};
    std::shared_ptr<const FontFace> face(new FontFace(data));
    if (face->m_glyphCount == 0 || face->m_unitsPerEm == 0)
        return {nullptr, LoadError::notAFont};
    return {face, LoadError::none};
}

FontFace::FontFace(const QByteArray& data) : m_data(data), m_serial(nextSerial++) {
    m_blob = hb_blob_create(m_data.constData(), static_cast<unsigned>(m_data.size()), HB_MEMORY_MODE_READONLY,
                            nullptr, nullptr);
    m_face = hb_face_create(m_blob, 0);
    m_font = hb_font_create(m_face);
    m_unitsPerEm = hb_face_get_upem(m_face);
    m_glyphCount = hb_face_get_glyph_count(m_face);
    hb_font_set_scale(m_font, static_cast<int>(m_unitsPerEm), static_cast<int>(m_unitsPerEm));
    hb_font_make_immutable(m_font);
}

FontFace::~FontFace() {
    hb_font_destroy(m_font);
    hb_face_destroy(m_face);
    hb_blob_destroy(m_blob);
}

QString FontFace::nameEntry(unsigned nameId) const {
    const unsigned length = hb_ot_name_get_utf8(m_face, nameId, HB_LANGUAGE_INVALID, nullptr, nullptr);
    QByteArray text(static_cast<qsizetype>(length) + 1, '\0');
    unsigned capacity = length + 1;
    hb_ot_name_get_utf8(m_face, nameId, HB_LANGUAGE_INVALID, &capacity, text.data());
    text.truncate(capacity);
    return QString::fromUtf8(text);
}

QString FontFace::postScriptName() const {
    return nameEntry(HB_OT_NAME_ID_POSTSCRIPT_NAME);
}

QString FontFace::fullName() const {
    return nameEntry(HB_OT_NAME_ID_FULL_NAME);
}

QString FontFace::nameForGlyph(quint16 glyph) const {
    if (glyph >= m_glyphCount)
        return {};
    std::lock_guard guard(m_namesLock);
    if (m_names.empty())
        m_names.resize(m_glyphCount);
    QString& name = m_names[glyph];
    if (name.isNull())
        name = readNameForGlyph(glyph);
    return name;
}

quint16 FontFace::glyphWithName(const QString& name) const {
    std::lock_guard guard(m_namesLock);
    auto found = m_glyphsByName.constFind(name);
    if (found == m_glyphsByName.constEnd())
        found = m_glyphsByName.insert(name, readGlyphWithName(name));
    return *found;
}

QString FontFace::readNameForGlyph(quint16 glyph) const {
    char name[128];
    if (hb_font_get_glyph_name(m_font, glyph, name, sizeof name) && name[0] != '\0')
        return QString::fromLatin1(name);
    return QLatin1String(kNamelessGlyphPrefix) + QString::number(glyph);
}

quint16 FontFace::readGlyphWithName(const QString& name) const {
    const QByteArray bytes = name.toLatin1();
    hb_codepoint_t glyph = 0;
    if (!bytes.isEmpty() &&
        hb_font_get_glyph_from_name(m_font, bytes.constData(), static_cast<int>(bytes.size()), &glyph))
        return static_cast<quint16>(glyph);
    if (!name.startsWith(QLatin1String(kNamelessGlyphPrefix)))
        return 0;
    bool isNumber = false;
    const uint number = QStringView(name).mid(sizeof kNamelessGlyphPrefix - 1).toUInt(&isNumber);
    const bool nameless =
        isNumber && number < m_glyphCount && readNameForGlyph(static_cast<quint16>(number)) == name;
    return nameless ? static_cast<quint16>(number) : 0;
}

quint16 FontFace::glyphForCodePoint(char32_t codePoint) const {
    hb_codepoint_t glyph = 0;
    return hb_font_get_nominal_glyph(m_font, codePoint, &glyph) ? static_cast<quint16>(glyph) : 0;
}

int FontFace::advance(quint16 glyph) const {
    return hb_font_get_glyph_h_advance(m_font, glyph);
}

QRectF FontFace::bounds(quint16 glyph) const {
    if (glyph >= m_glyphCount)
        return measureBounds(glyph);
    std::lock_guard guard(m_boundsLock);
    if (m_bounds.empty())
        m_bounds.resize(m_glyphCount);
    std::optional<QRectF>& known = m_bounds[glyph];
    if (!known)
        known = measureBounds(glyph);
    return *known;
}

QRectF FontFace::measureBounds(quint16 glyph) const {
    hb_glyph_extents_t extents{};
    if (!hb_font_get_glyph_extents(m_font, glyph, &extents))
        return {};
    // HarfBuzz gives the top-left corner and a negative height; the rectangle here starts at the bottom.
    return QRectF(extents.x_bearing, extents.y_bearing + extents.height, extents.width, -extents.height);
}

quint16 FontFace::scriptStyleGlyph(char32_t codePoint, int scriptLevel) const {
    const quint64 key = quint64(codePoint) << 2 | quint64(scriptLevel & 3);
    std::lock_guard guard(m_scriptGlyphsLock);
    auto found = m_scriptGlyphs.constFind(key);
    if (found == m_scriptGlyphs.constEnd())
        found = m_scriptGlyphs.insert(key, readScriptStyleGlyph(codePoint, scriptLevel));
    return *found;
}

// The character shaped alone as math text with the "ssty" feature at the level; a font without the form
// leaves its glyph as the character map gives it.
quint16 FontFace::readScriptStyleGlyph(char32_t codePoint, int scriptLevel) const {
    hb_buffer_t* buffer = hb_buffer_create();
    const auto code = static_cast<uint32_t>(codePoint);
    hb_buffer_add_utf32(buffer, &code, 1, 0, 1);
    hb_buffer_set_direction(buffer, HB_DIRECTION_LTR);
    hb_buffer_set_script(buffer, HB_SCRIPT_MATH);
    const hb_feature_t scriptStyle{HB_TAG('s', 's', 't', 'y'), static_cast<uint32_t>(scriptLevel),
                                   HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END};
    hb_shape(m_font, buffer, &scriptStyle, 1);
    unsigned count = 0;
    const hb_glyph_info_t* glyphs = hb_buffer_get_glyph_infos(buffer, &count);
    const quint16 glyph =
        count == 1 ? static_cast<quint16>(glyphs[0].codepoint) : glyphForCodePoint(codePoint);
    hb_buffer_destroy(buffer);
    return glyph;
}

QRawFont FontFace::rawFont(qreal pixelSize) const {
    ThreadFonts& fonts = threadFonts();
    const QPair<quint64, qreal> key(m_serial, pixelSize);
    if (const auto found = fonts.sizes.constFind(key); found != fonts.sizes.constEnd())
        return *found;
    QRawFont& face = fonts.faces[m_serial];
    if (!face.isValid())
        face.loadFromData(m_data, m_unitsPerEm, QFont::PreferNoHinting);
    QRawFont sized = face;
    sized.setPixelSize(pixelSize);
    fonts.sizes.insert(key, sized);
    return sized;
}

void FontFace::releaseThreadFonts() {
    ThreadFonts& fonts = threadFonts();
    fonts.sizes.clear();
    fonts.faces.clear();
}

} // namespace zepla::math

namespace zepla::math {

qreal FontFace::xHeightPerEm() const {
    if (const quint16 x = glyphForCodePoint(U'x'); x != 0) {
        const QRectF ink = bounds(x);
        if (!ink.isNull() && ink.y() + ink.height() > 0)
            return (ink.y() + ink.height()) / m_unitsPerEm;
    }
    hb_position_t height = 0;
    if (hb_ot_metrics_get_position(m_font, HB_OT_METRICS_TAG_X_HEIGHT, &height) && height > 0)
        return qreal(height) / m_unitsPerEm;
    return 0;
}

} // namespace zepla::math
