// The face an edited line is set in when the page's own program cannot show the new text: read from the
// page's font dictionary (its base font name, and its descriptor's flags, weight and italic angle), the
// installed family of that name, else TeX's Computer Modern as Latin Modern, else the generic kind the name
// or the flags tell, in the weight and slant they tell.
#include "PdfFixtures.h"
#include "TestDocuments.h"
#include "annotations/ReplacementFont.h"

#include <QRawFont>
#include <QTest>

using namespace zepla;

namespace {

// A page showing "Sample" at (72, 700) in a font that is not embedded, with the given dictionary entries.
QByteArray pageInFont(const QByteArray& baseFont, const QByteArray& descriptor) {
    const QByteArray content = "BT /F1 12 Tf 72 700 Td (Sample) Tj ET";
    QByteArray font = "<< /Type /Font /Subtype /TrueType /BaseFont /" + baseFont +
                      " /FirstChar 32 /LastChar 126 /Encoding /WinAnsiEncoding";
    if (!descriptor.isEmpty())
        font += " /FontDescriptor 6 0 R";
    return fixtures::assemblePdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 4 0 R >> >>"
        " /Contents 5 0 R >>",
        font + " >>",
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream",
        "<< /Type /FontDescriptor /FontName /" + baseFont + " /FontBBox [-200 -250 1100 900] /Ascent 900" +
            " /Descent -250 /CapHeight 700 /StemV 80 " + descriptor + " >>",
    });
}

} // namespace

class TestReplacementFace : public QObject {
    Q_OBJECT

private slots:
    void faceFollowsTheFontDictionary_data() {
        QTest::addColumn<QByteArray>("baseFont");
        QTest::addColumn<QByteArray>("descriptor");
        QTest::addColumn<QString>("family");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        // A sans face that is not installed, as cairo names and flags it: no serif bit, so sans.
        QTest::newRow("Roboto, not installed") << QByteArray("ABCDEF+Roboto-Regular")
                                               << QByteArray("/Flags 32") << "Noto Sans" << false << false;
        QTest::newRow("weight 700") << QByteArray("BCDEFG+Roboto-Medium")
                                    << QByteArray("/Flags 32 /FontWeight 700") << "Noto Sans" << true
                                    << false;
        QTest::newRow("force bold flag")
            << QByteArray("Inter") << QByteArray("/Flags 262176") << "Noto Sans" << true << false;
        QTest::newRow("serif flag, italic angle")
            << QByteArray("Merriweather") << QByteArray("/Flags 34 /ItalicAngle -12") << "Noto Serif" << false
            << true;
        QTest::newRow("fixed pitch flag")
            << QByteArray("Iosevka") << QByteArray("/Flags 33") << "Noto Sans Mono" << false << false;
        QTest::newRow("name over flags: a serif by name")
            << QByteArray("ZillaSerif-BoldItalic") << QByteArray("/Flags 32") << "Noto Serif" << true << true;
        QTest::newRow("installed family by its PostScript name")
            << QByteArray("CDEFGH+DejaVuSans-Bold") << QByteArray("/Flags 32") << "DejaVu Sans" << true
            << false;
        // The style run on to the family, as LibreOffice names Type 1 faces.
        QTest::newRow("installed family, style without a separator")
            << QByteArray("BAAAAA+NimbusRomanRegular") << QByteArray("/Flags 6") << "Nimbus Roman" << false
            << false;
        QTest::newRow("installed family, bold italic without a separator")
            << QByteArray("NimbusSansBoldItalic") << QByteArray("/Flags 4") << "Nimbus Sans" << true << true;
        // TeX's faces, flagged symbolic as TeX flags them.
        QTest::newRow("CMR10") << QByteArray("DEFGHI+CMR10") << QByteArray("/Flags 4") << "Latin Modern Roman"
                               << false << false;
        QTest::newRow("CMBX12") << QByteArray("CMBX12") << QByteArray("/Flags 4") << "Latin Modern Roman"
                                << true << false;
        QTest::newRow("CMTI10") << QByteArray("CMTI10") << QByteArray("/Flags 4") << "Latin Modern Roman"
                                << false << true;
        QTest::newRow("CMSS10") << QByteArray("CMSS10") << QByteArray("/Flags 4") << "Latin Modern Sans"
                                << false << false;
        QTest::newRow("CMTT10") << QByteArray("CMTT10") << QByteArray("/Flags 4") << "Latin Modern Mono"
                                << false << false;
        QTest::newRow("cm-super SFRM1000")
            << QByteArray("SFRM1000") << QByteArray("/Flags 4") << "Latin Modern Roman" << false << false;
        QTest::newRow("Latin Modern Type 1") << QByteArray("EFGHIJ+LMSans10-Bold") << QByteArray("/Flags 4")
                                             << "Latin Modern Sans" << true << false;
        QTest::newRow("no descriptor, TeX by name")
            << QByteArray("CMSL10") << QByteArray() << "Latin Modern Roman" << false << true;
    }
    void faceFollowsTheFontDictionary() {
        QFETCH(QByteArray, baseFont);
        QFETCH(QByteArray, descriptor);
        QFETCH(QString, family);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        auto doc = testdocs::open(pageInFont(baseFont, descriptor));
        const auto font = doc->fontAt(0, QPointF(80, 703)).value();
        QVERIFY(font);
        QCOMPARE(font->name, QString::fromLatin1(baseFont));
        const QRawFont face(annotations::replacementFontFile(*font, QStringLiteral("Revised text")), 12);
        QCOMPARE(face.familyName(), family);
        QCOMPARE(face.weight() >= QFont::DemiBold, bold);
        QCOMPARE(face.style() != QFont::StyleNormal, italic);
    }
};

QTEST_MAIN(TestReplacementFace)
#include "test_replacement_face.moc"
