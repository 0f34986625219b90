// mathfont_stop_probe registry FOLDER NAME | table PLIST: a font or table load that is expected to stop the
// process; the tests read its exit and its last words.
#include "fonts/BundleManager.h"
#include "fonts/MTFontManager.h"
#include "fonts/PropertyList.h"

#include <QGuiApplication>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("registry")) {
        zepla::math::BundleManager registry(args[2]);
        registry.obtainRawMathTable(*zepla::math::MathFont::fromRawValue(args[3]));
    } else if (args.size() == 3 && args[1] == QLatin1String("table")) {
        const auto table = zepla::math::readPropertyList(args[2]);
        zepla::math::MTFontMathTable(zepla::math::MTFontManager::manager()->defaultFont(), *table.dictionary);
    }
    return 0;
}
