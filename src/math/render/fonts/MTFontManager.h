// The process-wide place where views ask for a math font by resource name and size: one font per name is
// kept, other sizes are fresh copies of it.
#pragma once

#include "fonts/MTFont.h"
#include "fonts/MathFont.h"
#include "fonts/RWLocked.h"

#include <QHash>
#include <QString>

#include <memory>

namespace zepla::math {

class MTFontManager {
public:
    static constexpr qreal kDefaultFontSize = 20;

    // The shared instance, made on first use; replacing it starts a new, empty cache.
    static std::shared_ptr<MTFontManager> manager();
    static void setManager(std::shared_ptr<MTFontManager> manager);

    QHash<QString, std::shared_ptr<MTFont>> nameToFontMap() const { return m_nameToFontMap.read(); }

    // The cached font of that name when it has that size, else a copy of it at `size`. The first request for
    // a name builds the font and caches it at the size asked for.
    std::shared_ptr<MTFont> font(const QString& name, qreal size);

    // Each asks the shared instance, whatever instance it is called on.
    std::shared_ptr<MTFont> latinModernFont(qreal size) const {
        return shared(MathFont::latinModernFont, size);
    }
    std::shared_ptr<MTFont> kpMathLightFont(qreal size) const {
        return shared(MathFont::kpMathLightFont, size);
    }
    std::shared_ptr<MTFont> kpMathSansFont(qreal size) const {
        return shared(MathFont::kpMathSansFont, size);
    }
    std::shared_ptr<MTFont> xitsFont(qreal size) const { return shared(MathFont::xitsFont, size); }
    std::shared_ptr<MTFont> termesFont(qreal size) const { return shared(MathFont::termesFont, size); }
    std::shared_ptr<MTFont> asanaFont(qreal size) const { return shared(MathFont::asanaFont, size); }
    std::shared_ptr<MTFont> eulerFont(qreal size) const { return shared(MathFont::eulerFont, size); }
    std::shared_ptr<MTFont> firaRegularFont(qreal size) const { return shared(MathFont::firaFont, size); }
    std::shared_ptr<MTFont> notoSansRegularFont(qreal size) const {
        return shared(MathFont::notoSansFont, size);
    }
    std::shared_ptr<MTFont> libertinusRegularFont(qreal size) const {
        return shared(MathFont::libertinusFont, size);
    }
    std::shared_ptr<MTFont> garamondMathFont(qreal size) const {
        return shared(MathFont::garamondFont, size);
    }
    std::shared_ptr<MTFont> leteSansFont(qreal size) const { return shared(MathFont::leteSansFont, size); }
    // "latinmodern-math" at 20 points.
    std::shared_ptr<MTFont> defaultFont() const {
        return shared(MathFont::latinModernFont, kDefaultFontSize);
    }

private:
    static std::shared_ptr<MTFont> shared(MathFont font, qreal size) {
        return manager()->font(font.rawValue(), size);
    }

    RWLocked<QHash<QString, std::shared_ptr<MTFont>>> m_nameToFontMap;
};

} // namespace zepla::math
