// Font subsets for text that is never painted: the glyphs keep their indices, advances and characters, and
// TrueType glyphs lose their shapes, so an invisible text layer adds little to a file.
#include "core/FontFiles.h"
#include "pdf/FontSubset.h"

#include <QPainterPath>
#include <QRawFont>
#include <QTest>

using namespace zepla;

class TestFontSubsets : public QObject {
    Q_OBJECT

private slots:
    void subsetWithoutOutlinesKeepsAdvancesAndCharacters_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("trueType");
        QTest::newRow("Noto Sans") << platform::fontFileFor("Noto Sans", 400) << true;
        QTest::newRow("DejaVu Serif bold") << platform::fontFileFor("DejaVu Serif", 700) << true;
        // Shapes in a CFF table stay: only the hinting goes.
        QTest::newRow("CFF outlines")
            << QString("/usr/share/texmf/fonts/opentype/public/lm/lmroman10-regular.otf") << false;
    }
    void subsetWithoutOutlinesKeepsAdvancesAndCharacters() {
        QFETCH(QString, file);
        QFETCH(bool, trueType);
        const QString text = QStringLiteral("Recognized words, 42 of them");
        const QRawFont original(file, 100);
        QVERIFY2(original.isValid(), qPrintable(file));
        const QList<quint32> indexes = original.glyphIndexesForString(text);
        const std::vector<quint32> glyphs(indexes.begin(), indexes.end());

        const QByteArray kept = pdf::subsetFont(file, glyphs);
        const QByteArray dropped = pdf::subsetFont(file, glyphs, pdf::Outlines::Dropped);
        QVERIFY(!kept.isEmpty());
        QVERIFY(!dropped.isEmpty());
        const QRawFont subset(dropped, 100);
        QVERIFY(subset.isValid());
        // Same glyph for each character, same advance for each glyph.
        QCOMPARE(subset.glyphIndexesForString(text), indexes);
        QCOMPARE(subset.advancesForGlyphIndexes(indexes), original.advancesForGlyphIndexes(indexes));
        bool anyShape = false;
        for (quint32 glyph : indexes)
            anyShape = anyShape || !subset.pathForGlyph(glyph).isEmpty();
        QCOMPARE(anyShape, !trueType);
        if (trueType)
            QVERIFY2(
                dropped.size() * 3 < kept.size(),
                qPrintable(QString("%1 bytes without shapes, %2 with").arg(dropped.size()).arg(kept.size())));
        else
            QVERIFY(dropped.size() <= kept.size());
    }
};

QTEST_MAIN(TestFontSubsets)
#include "test_font_subsets.moc"
