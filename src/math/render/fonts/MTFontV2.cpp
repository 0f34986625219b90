// The engine font for a font named by MathFont, served by the font registry; its table is built on first use.
#include "fonts/MTFontV2.h"

#include "fonts/BundleManager.h"
#include "fonts/MathFontResources.h"

namespace zepla::math {

MTFontV2::MTFontV2(MathFont font, qreal size)
    : m_font(font), m_size(size), m_cgFont(BundleManager::manager().obtainCGFont(font)),
      m_ctFont(BundleManager::manager().obtainCTFont(font, size)), m_unitsPerEm(m_ctFont->unitsPerEm()) {}

const MTFontMathTable* MTFontV2::mathTable() const {
    if (m_hasMathTab.load(std::memory_order_acquire))
        return m_mathTab.get();
    std::lock_guard guard(m_mathTableLock);
    if (!m_mathTab) {
        m_mathTab = std::make_unique<MTFontMathTableV2>(m_font, m_size);
        m_hasMathTab.store(true, std::memory_order_release);
    }
    return m_mathTab.get();
}

QVariantMap MTFontV2::rawMathTable() const {
    stopOnDamagedResource(QStringLiteral("rawMathTable: access to ") + m_font.rawValue() +
                          QStringLiteral(" not allowed."));
}

std::shared_ptr<MTFont> MTFontV2::copyWithSize(qreal size) const {
    return std::make_shared<MTFontV2>(m_font, size);
}

} // namespace zepla::math
