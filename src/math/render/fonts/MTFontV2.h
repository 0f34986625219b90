// The engine font for a font named by MathFont, served by the font registry; its table is built on first use.
#pragma once

#include "fonts/MTFont.h"
#include "fonts/MTFontMathTableV2.h"
#include "fonts/MathFont.h"

#include <atomic>
#include <mutex>

namespace zepla::math {

class MTFontV2 : public MTFont {
public:
    MTFontV2(MathFont font, qreal size);

    MathFont font() const { return m_font; }
    qreal size() const { return m_size; }
    unsigned unitsPerEm() const { return m_unitsPerEm; }

    std::shared_ptr<const FontFace> defaultCGFont() const override { return m_cgFont; }
    std::shared_ptr<const SizedFont> ctFont() const override { return m_ctFont; }
    // Built once per font object, however many threads ask together.
    const MTFontMathTable* mathTable() const override;
    // Not available for these fonts: asking stops the process.
    QVariantMap rawMathTable() const override;
    std::shared_ptr<MTFont> copyWithSize(qreal size) const override;

private:
    MathFont m_font;
    qreal m_size;
    std::shared_ptr<const FontFace> m_cgFont;
    std::shared_ptr<const SizedFont> m_ctFont;
    unsigned m_unitsPerEm;
    mutable std::unique_ptr<MTFontMathTableV2> m_mathTab;
    mutable std::atomic<bool> m_hasMathTab = false;
    mutable std::mutex m_mathTableLock;
};

} // namespace zepla::math
