// The font object the math engine works with: a font file, its sized font and its math table at that size.
#pragma once

#include "fonts/FontFace.h"
#include "fonts/MTFontMathTable.h"
#include "fonts/SizedFont.h"

#include <QString>
#include <QVariantMap>

#include <memory>

namespace zepla::math {

class MTFont : public std::enable_shared_from_this<MTFont> {
public:
    // An empty font: no font file, sized font, table or dictionary.
    MTFont() = default;
    virtual ~MTFont() = default;
    MTFont(const MTFont&) = delete;
    MTFont& operator=(const MTFont&) = delete;

    // The installed font `name` at `size`, its file read once per process. A name this installation has no
    // files for gives the default font with one warning line; damaged files stop the process.
    static std::shared_ptr<MTFont> fontWithName(const QString& name, qreal size);
    // The installed resource folder of the fonts, looked up afresh; empty when it is missing.
    static QString fontBundle();

    virtual std::shared_ptr<const FontFace> defaultCGFont() const { return m_defaultCGFont; }
    virtual std::shared_ptr<const SizedFont> ctFont() const { return m_ctFont; }
    virtual const MTFontMathTable* mathTable() const { return m_mathTable.get(); }
    // The parsed math-table export, shared by every size of the font.
    virtual QVariantMap rawMathTable() const { return m_rawMathTable; }
    // A new, uncached font over the same file and dictionary at another size.
    virtual std::shared_ptr<MTFont> copyWithSize(qreal size) const;

    // The glyph's name, or the empty text when the font has none for it.
    QString nameForGlyph(quint16 glyph) const;
    // The glyph of a name, or 0 when the font lacks the name.
    quint16 glyphWithName(const QString& name) const;
    qreal fontSize() const;

private:
    static std::shared_ptr<MTFont> make(std::shared_ptr<const FontFace> face, qreal size,
                                        const QVariantMap& table);

    std::shared_ptr<const FontFace> m_defaultCGFont;
    std::shared_ptr<const SizedFont> m_ctFont;
    std::unique_ptr<MTFontMathTable> m_mathTable;
    QVariantMap m_rawMathTable;
};

} // namespace zepla::math
