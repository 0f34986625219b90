// The name a file gives an embedded font: its PostScript name, or, for a font without one, "Family-Style"
// as Qt's fonts name it.
#include "core/FontFiles.h"
#include "pdf/FontSubset.h"

#include <QFile>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace zepla;

namespace {

// The font file with its PostScript name records moved to a font-specific name ID, so it has none.
QByteArray withoutPostScriptName(QByteArray font) {
    auto u16 = [&](qsizetype at) { return qFromBigEndian<quint16>(font.constData() + at); };
    for (int table = 0; table < u16(4); ++table) {
        const qsizetype record = 12 + 16 * table;
        if (font.mid(record, 4) != "name")
            continue;
        const qsizetype name = qFromBigEndian<quint32>(font.constData() + record + 8);
        for (int i = 0; i < u16(name + 2); ++i) {
            const qsizetype id = name + 6 + 12 * i + 6;
            if (u16(id) == 6)
                qToBigEndian<quint16>(300, font.data() + id);
        }
    }
    return font;
}

} // namespace

class TestFontNames : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void namesAFontWithoutPostScriptNameAsQtDoes_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("weight");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("sans") << "DejaVu Sans" << 400 << QByteArray("DejaVuSans-Book");
        QTest::newRow("serif bold") << "DejaVu Serif" << 700 << QByteArray("DejaVuSerif-Bold");
        QTest::newRow("mono") << "DejaVu Sans Mono" << 400 << QByteArray("DejaVuSansMono-Book");
    }
    void namesAFontWithoutPostScriptNameAsQtDoes() {
        QFETCH(QString, family);
        QFETCH(int, weight);
        QFETCH(QByteArray, expected);
        QFile original(platform::fontFileFor(family, weight));
        QVERIFY2(original.open(QIODevice::ReadOnly), qPrintable(family));
        const QString file = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".ttf");
        QFile patched(file);
        QVERIFY(patched.open(QIODevice::WriteOnly));
        patched.write(withoutPostScriptName(original.readAll()));
        patched.close();

        QCOMPARE(pdf::postScriptName(file), expected);
        const QRawFont qt(file, 12);
        QVERIFY(qt.isValid());
        const QString qtName = qt.familyName() + '-' + qt.styleName();
        QCOMPARE(QString(qtName).remove(' '), QString::fromLatin1(expected));
    }
};

QTEST_MAIN(TestFontNames)
#include "test_font_names.moc"
