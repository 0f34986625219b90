// zepla-mathtable-export FONT OUTPUT: writes the property-list export of the font's MATH table.
#include "MathTableExport.h"

#include "fonts/FontFace.h"
#include "fonts/PropertyList.h"

#include <QSaveFile>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FONT OUTPUT\n", argv[0]);
        return 2;
    }
    const QString fontPath = QString::fromLocal8Bit(argv[1]);
    const zepla::math::FontFace::Loaded loaded = zepla::math::FontFace::fromFile(fontPath);
    if (!loaded.face) {
        std::fprintf(stderr, "%s: not a readable font file\n", argv[1]);
        return 1;
    }
    const QVariantMap table = zepla::mathexport::exportMathTable(*loaded.face);
    if (table.isEmpty()) {
        std::fprintf(stderr, "%s: the font has no MATH table\n", argv[1]);
        return 1;
    }
    QSaveFile output(QString::fromLocal8Bit(argv[2]));
    if (!output.open(QIODevice::WriteOnly) || output.write(zepla::math::writePropertyList(table)) < 0 ||
        !output.commit()) {
        std::fprintf(stderr, "%s: %s\n", argv[2], qPrintable(output.errorString()));
        return 1;
    }
    return 0;
}
