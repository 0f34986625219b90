// The process-wide place where views ask for a math font by resource name and size: one font per name is
// kept, other sizes are fresh copies of it.
#include "fonts/MTFontManager.h"

#include <mutex>

namespace zepla::math {

namespace {

std::mutex sharedManagerLock;
std::shared_ptr<MTFontManager> sharedManager;

} // namespace

std::shared_ptr<MTFontManager> MTFontManager::manager() {
    std::lock_guard guard(sharedManagerLock);
    if (!sharedManager)
        sharedManager = std::make_shared<MTFontManager>();
    return sharedManager;
}

void MTFontManager::setManager(std::shared_ptr<MTFontManager> manager) {
    std::lock_guard guard(sharedManagerLock);
    sharedManager = std::move(manager);
}

std::shared_ptr<MTFont> MTFontManager::font(const QString& name, qreal size) {
    std::shared_ptr<MTFont> font = m_nameToFontMap.read().value(name);
    if (!font) {
        font = MTFont::fontWithName(name, size);
        auto map = m_nameToFontMap.read();
        map.insert(name, font);
        m_nameToFontMap.write(std::move(map));
    }
    return font->fontSize() != size ? font->copyWithSize(size) : font;
}

} // namespace zepla::math
