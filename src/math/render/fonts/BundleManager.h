// The registry of the math fonts named by MathFont: loads each font file and math table on first demand,
// registers the font with the application's font database, and caches fonts of every size asked for.
#pragma once

#include "fonts/FontFace.h"
#include "fonts/MathFont.h"
#include "fonts/SizedFont.h"

#include <QVariantMap>

#include <memory>
#include <optional>
#include <shared_mutex>
#include <unordered_map>
#include <vector>

namespace zepla::math {

class BundleManager {
public:
    enum class FontError {
        invalidFontFile,
        fontPathNotFound,
        initFontError,
        registerFailed,
        invalidMathTable
    };
    static QString errorName(FontError error);

    struct CTFontSizePair {
        MathFont font;
        double size;
        bool operator==(const CTFontSizePair& other) const {
            return font == other.font && size == other.size;
        }
    };
    struct CTFontSizePairHash {
        std::size_t operator()(const CTFontSizePair& pair) const noexcept;
    };

    // The process-wide registry over the installed font folder; never released.
    static BundleManager& manager();
    // A registry of its own over the fonts in `fontFolder`; the fonts it registered are unregistered when it
    // goes.
    explicit BundleManager(const QString& fontFolder);
    ~BundleManager();
    BundleManager(const BundleManager&) = delete;
    BundleManager& operator=(const BundleManager&) = delete;

    // Loads and registers the font and its table unless that happened already, once however many threads ask
    // together. A font whose files are missing is served by the default font. Reports what failed.
    std::optional<FontError> registerFont(MathFont mathFont);
    // The same, stopping the process on failure.
    void onDemandRegistration(MathFont mathFont);

    std::shared_ptr<const FontFace> obtainCGFont(MathFont font);
    std::shared_ptr<const SizedFont> obtainCTFont(MathFont font, double size);
    QVariantMap obtainRawMathTable(MathFont font);

private:
    BundleManager() = default;
    QString fontFolder() const;
    // These three run with the write lock held.
    std::optional<FontError> registerLocked(MathFont mathFont);
    std::optional<FontError> registerCGFont(MathFont mathFont);
    std::optional<FontError> registerMathTable(MathFont mathFont);

    QString m_fontFolder;
    std::unordered_map<MathFont, std::shared_ptr<const FontFace>> cgFonts;
    std::unordered_map<CTFontSizePair, std::shared_ptr<const SizedFont>, CTFontSizePairHash> ctFonts;
    std::unordered_map<MathFont, QVariantMap> rawMathTables;
    std::vector<int> m_applicationFontIds;
    mutable std::shared_mutex m_cacheLock;
};

} // namespace zepla::math
