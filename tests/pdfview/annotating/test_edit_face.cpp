// Editing a line shows the new words in the face the commit sets them in, and the saved file names that
// face properly: a page's own program that has no names of its own is embedded under the page's name for
// it (as pdffonts lists it), a TeX line is set in Latin Modern, a sans face that is not installed in an
// installed sans face. "The same face" is told by the glyphs' advances, which differ between any two faces.
#include "AnnotatingViewHarness.h"
#include "ExternalTool.h"
#include "core/FontFiles.h"
#include "pdf/FontSubset.h"

#include <hb.h>

#include <QRawFont>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace zepla;

namespace {

// DejaVu Sans's program, whole or cut down to the glyphs of `only`, without its name table: nothing in it
// says what it is called, as in the subsets some producers embed.
QByteArray namelessProgram(const QString& only = {}) {
    const QString file = platform::fontFileFor(QStringLiteral("DejaVu Sans"), 400);
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        qFatal("DejaVu Sans is needed (fonts-dejavu-core)");
    QByteArray program = in.readAll();
    if (!only.isEmpty()) {
        std::vector<quint32> kept;
        for (quint32 glyph : QRawFont(program, 1000).glyphIndexesForString(only))
            kept.push_back(glyph);
        program = pdf::subsetFont(file, kept);
    }
    hb_blob_t* blob = hb_blob_create(program.constData(), unsigned(program.size()), HB_MEMORY_MODE_READONLY,
                                     nullptr, nullptr);
    hb_face_t* face = hb_face_create(blob, 0);
    hb_face_t* built = hb_face_builder_create();
    unsigned int count = hb_face_get_table_tags(face, 0, nullptr, nullptr);
    std::vector<hb_tag_t> tags(count);
    hb_face_get_table_tags(face, 0, &count, tags.data());
    for (hb_tag_t tag : tags) {
        if (tag == hb_tag_from_string("name", 4))
            continue;
        hb_blob_t* table = hb_face_reference_table(face, tag);
        hb_face_builder_add_table(built, tag, table);
        hb_blob_destroy(table);
    }
    hb_blob_t* result = hb_face_reference_blob(built);
    unsigned int length = 0;
    const char* data = hb_blob_get_data(result, &length);
    const QByteArray nameless(data, qsizetype(length));
    for (hb_blob_t* b : {result, blob})
        hb_blob_destroy(b);
    for (hb_face_t* f : {built, face})
        hb_face_destroy(f);
    return nameless;
}

// One line "Quarterly report" at (72, 700) in 12 points, in a font named `baseFont` whose descriptor has
// `flags`, embedding `program` as a TrueType program when it is not empty.
QByteArray lineInFont(const QByteArray& baseFont, int flags, const QByteArray& program = {}) {
    QByteArray widths;
    if (!program.isEmpty()) {
        const QRawFont font(program, 1000);
        for (char32_t c = 32; c <= 126; ++c) {
            const QList<quint32> glyph = font.glyphIndexesForString(QString::fromUcs4(&c, 1));
            widths += QByteArray::number(qRound(font.advancesForGlyphIndexes(glyph).value(0).x())) + ' ';
        }
    }
    const QByteArray content = "BT /F1 12 Tf 72 700 Td (Quarterly report) Tj ET";
    QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 4 0 R >> >>"
        " /Contents 6 0 R >>",
        "<< /Type /Font /Subtype /TrueType /BaseFont /" + baseFont + " /FirstChar 32 /LastChar 126" +
            (widths.isEmpty() ? QByteArray() : " /Widths [" + widths + "]") +
            " /FontDescriptor 5 0 R /Encoding /WinAnsiEncoding >>",
        "<< /Type /FontDescriptor /FontName /" + baseFont + " /Flags " + QByteArray::number(flags) +
            " /FontBBox [-1021 -463 1793 1232] /ItalicAngle 0 /Ascent 928 /Descent -236 /CapHeight 729"
            " /StemV 80" +
            (program.isEmpty() ? QByteArray() : " /FontFile2 7 0 R") + " >>",
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream",
    };
    if (!program.isEmpty())
        objects.append("<< /Length " + QByteArray::number(program.size()) + " >>\nstream\n" + program +
                       "\nendstream");
    return fixtures::assemblePdf(objects);
}

// The advances of the text's glyphs in a face, at 1000 pixels to the em.
QList<QPointF> advances(QRawFont face, const QString& text) {
    face.setPixelSize(1000);
    return face.advancesForGlyphIndexes(face.glyphIndexesForString(text), QRawFont::UseDesignMetrics);
}

} // namespace

class TestEditFace : public AnnotatingViewHarness {
    Q_OBJECT

    QTemporaryDir m_files;

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_files.isValid());
        testdocs::requireTool("pdffonts");
    }
    void cleanup() { m_view.reset(); }

    void previewFaceIsTheCommittedFace_data() {
        QTest::addColumn<QByteArray>("pdf");
        QTest::addColumn<QString>("fontName"); // as pdffonts lists the new text's font, without its tag
        QTest::newRow("page program without names")
            << lineInFont("ABCDEF+Roboto-Regular", 32, namelessProgram()) << "Roboto-Regular";
        // The page's words are in its subset, the new ones are not: the editor shows the face the commit
        // will use from the first letter typed that the subset lacks.
        QTest::newRow("page subset lacks the new letters")
            << lineInFont("CDEFGH+Roboto-Regular", 32, namelessProgram(QStringLiteral("Quarterly report")))
            << "NotoSans-Regular";
        QTest::newRow("Computer Modern, not embedded") << lineInFont("CMR10", 4) << "LMRoman10-Regular";
        QTest::newRow("sans, not installed") << lineInFont("BCDEFG+Roboto-Regular", 32) << "NotoSans-Regular";
    }
    void previewFaceIsTheCommittedFace() {
        QFETCH(QByteArray, pdf);
        QFETCH(QString, fontName);
        showDocument(pdf);
        m_tools->setTextEditingModeEnabled(true);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, viewPoint(QPointF(90, 703)));
        auto* editor = m_view->textEditEditor();
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        const QString text = QStringLiteral("Annual outlook");
        QTest::keyClicks(editor, text);
        const QRawFont preview = QRawFont::fromFont(editor->font());
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(!m_view->textEditEditor());

        const auto committed = m_doc->fontAt(0, QPointF(80, 703)).value();
        QVERIFY(committed && !committed->program.isEmpty());
        QCOMPARE(advances(preview, text), advances(QRawFont(committed->program, 12), text));

        const QString path = testdocs::saveTo(*m_doc, m_files.filePath(QStringLiteral("edited.pdf")));
        const QString fonts = QString::fromUtf8(runTool(QStringLiteral("pdffonts"), {path}).out);
        const QRegularExpression listed(
            QStringLiteral("^[A-Z]{6}\\+") + QRegularExpression::escape(fontName) +
                QStringLiteral("\\s+CID TrueType|^[A-Z]{6}\\+") + QRegularExpression::escape(fontName) +
                QStringLiteral("\\s+CID Type 0C"),
            QRegularExpression::MultilineOption);
        QVERIFY2(listed.match(fonts).hasMatch(), qPrintable(fonts));
    }
};

QTEST_MAIN(TestEditFace)
#include "test_edit_face.moc"
