// The registry of the math fonts named by MathFont: loads each font file and math table on first demand,
// registers the font with the application's font database, and caches fonts of every size asked for.
#include "fonts/BundleManager.h"

#include "fonts/MathFontResources.h"
#include "fonts/MathTableVersion.h"
#include "fonts/PropertyList.h"

#include <QFontDatabase>

#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace zepla::math {

namespace {

// The text as a quoted literal: inside double quotes, with quotes, backslashes and control characters
// escaped.
QString quotedDebugForm(const QString& text) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            quoted += QStringLiteral("\\\"");
            break;
        case '\\':
            quoted += QStringLiteral("\\\\");
            break;
        case '\n':
            quoted += QStringLiteral("\\n");
            break;
        case '\r':
            quoted += QStringLiteral("\\r");
            break;
        case '\t':
            quoted += QStringLiteral("\\t");
            break;
        case '\0':
            quoted += QStringLiteral("\\0");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                quoted += QStringLiteral("\\u{%1}").arg(c.unicode(), 0, 16);
            else
                quoted += c;
        }
    }
    return quoted + QLatin1Char('"');
}

void writeDebugLine(const QString& line) {
    const QByteArray bytes = (quotedDebugForm(line) + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

QString threadLabel() {
    return gettid() == getpid() ? QStringLiteral("main") : QStringLiteral("global");
}

} // namespace

QString BundleManager::errorName(FontError error) {
    static constexpr const char* kNames[] = {"invalidFontFile", "fontPathNotFound", "initFontError",
                                             "registerFailed", "invalidMathTable"};
    return QLatin1String(kNames[static_cast<int>(error)]);
}

std::size_t BundleManager::CTFontSizePairHash::operator()(const CTFontSizePair& pair) const noexcept {
    // Minus zero equals zero, so both must land on one hash.
    const double size = pair.size == 0 ? 0.0 : pair.size;
    return std::hash<MathFont>()(pair.font) * 31 + std::hash<double>()(size);
}

BundleManager& BundleManager::manager() {
    static BundleManager* const shared = new BundleManager();
    return *shared;
}

BundleManager::BundleManager(const QString& fontFolder) : m_fontFolder(fontFolder) {}

BundleManager::~BundleManager() {
    ctFonts.clear();
    for (int id : m_applicationFontIds)
        QFontDatabase::removeApplicationFont(id);
    cgFonts.clear();
}

QString BundleManager::fontFolder() const {
    return m_fontFolder.isNull() ? mathFontFolder() : m_fontFolder;
}

std::optional<BundleManager::FontError> BundleManager::registerCGFont(MathFont mathFont) {
    const QString path = mathFontFile(fontFolder(), mathFont.rawValue());
    if (path.isEmpty())
        return FontError::fontPathNotFound;
    const FontFace::Loaded loaded = FontFace::fromFile(path);
    if (loaded.error == FontFace::LoadError::unreadableFile)
        return FontError::invalidFontFile;
    if (!loaded.face)
        return FontError::initFontError;
    cgFonts[mathFont] = loaded.face;
    const int id = QFontDatabase::addApplicationFontFromData(loaded.face->data());
    if (id < 0)
        return FontError::registerFailed;
    m_applicationFontIds.push_back(id);
    writeDebugLine(QStringLiteral("mathFonts bundle resource: ") + mathFont.rawValue() +
                   QStringLiteral(", font: ") + loaded.face->fullName() + QStringLiteral(", ps: ") +
                   loaded.face->postScriptName() + QStringLiteral(" registered on ") + threadLabel() +
                   QLatin1Char('.'));
    return std::nullopt;
}

std::optional<BundleManager::FontError> BundleManager::registerMathTable(MathFont mathFont) {
    const QString path = mathTableFile(fontFolder(), mathFont.rawValue());
    if (path.isEmpty())
        return FontError::fontPathNotFound;
    const PropertyListResult table = readPropertyList(path);
    if (!table.dictionary || mathTableVersionError(*table.dictionary))
        return FontError::invalidMathTable;
    rawMathTables[mathFont] = *table.dictionary;
    writeDebugLine(QStringLiteral("mathFonts bundle resource: ") + mathFont.rawValue() +
                   QStringLiteral(".plist registered on ") + threadLabel() + QLatin1Char('.'));
    return std::nullopt;
}

std::optional<BundleManager::FontError> BundleManager::registerLocked(MathFont mathFont) {
    if (cgFonts.contains(mathFont))
        return std::nullopt;
    std::optional<FontError> error = registerCGFont(mathFont);
    if (!error)
        error = registerMathTable(mathFont);
    const MathFont fallback = MathFont::latinModernFont;
    if (error != FontError::fontPathNotFound || mathFont == fallback)
        return error;
    // A font this installation lacks is drawn with the default font rather than stopping the program.
    if (auto fallbackError = registerLocked(fallback))
        return fallbackError;
    warnMathFontReplaced(mathFont.rawValue());
    cgFonts[mathFont] = cgFonts[fallback];
    rawMathTables[mathFont] = rawMathTables[fallback];
    return std::nullopt;
}

std::optional<BundleManager::FontError> BundleManager::registerFont(MathFont mathFont) {
    {
        std::shared_lock reading(m_cacheLock);
        if (cgFonts.contains(mathFont))
            return std::nullopt;
    }
    std::unique_lock writing(m_cacheLock);
    return registerLocked(mathFont);
}

void BundleManager::onDemandRegistration(MathFont mathFont) {
    if (auto error = registerFont(mathFont))
        stopOnDamagedResource(
            QStringLiteral("MTMathFonts:onDemandRegistration(mathFont:) ondemand loading failed, "
                           "mathFont ") +
            mathFont.rawValue() + QStringLiteral(", reason ") + errorName(*error));
}

std::shared_ptr<const FontFace> BundleManager::obtainCGFont(MathFont font) {
    onDemandRegistration(font);
    std::shared_lock reading(m_cacheLock);
    const auto found = cgFonts.find(font);
    if (found == cgFonts.end())
        stopOnDamagedResource(QStringLiteral("obtainCGFont(font:) unable to locate CGFont ") +
                              font.fontName());
    return found->second;
}

std::shared_ptr<const SizedFont> BundleManager::obtainCTFont(MathFont font, double size) {
    onDemandRegistration(font);
    const CTFontSizePair key{font, size};
    std::shared_ptr<const FontFace> face;
    {
        std::shared_lock reading(m_cacheLock);
        if (const auto found = ctFonts.find(key); found != ctFonts.end())
            return found->second;
        const auto registered = cgFonts.find(font);
        if (registered == cgFonts.end())
            stopOnDamagedResource(QStringLiteral("obtainCTFont(font:withSize:) unable to locate CGFont ") +
                                  font.fontName() + QStringLiteral(" to create CTFont"));
        face = registered->second;
    }
    std::unique_lock writing(m_cacheLock);
    auto& sized = ctFonts[key];
    if (!sized)
        sized = std::make_shared<const SizedFont>(face, size);
    return sized;
}

QVariantMap BundleManager::obtainRawMathTable(MathFont font) {
    onDemandRegistration(font);
    std::shared_lock reading(m_cacheLock);
    const auto found = rawMathTables.find(font);
    if (found == rawMathTables.end())
        stopOnDamagedResource(QStringLiteral("obtainRawMathTable(font:) unable to locate mathTable: ") +
                              font.rawValue() + QStringLiteral(".plist"));
    return found->second;
}

} // namespace zepla::math
