// Routing of opened files by extension, and the types the open dialogs and drop zones accept.
#include "document/FileOpenRouter.h"

#include <QTest>

using namespace zepla::document;
using Kind = FileOpenRouter::Kind;
Q_DECLARE_METATYPE(FileOpenRouter::Kind)

namespace {

// Records where each file was sent; the application's real targets come with the windows.
struct RecordingTargets : FileOpenTargets {
    QStringList calls;
    void openDocument(const QString& path) override { calls << "document:" + path; }
    void importDocument(const QString& path) override { calls << "import:" + path; }
    void openPreview(const QString& path) override { calls << "preview:" + path; }
};

} // namespace

class TestFileOpenRouter : public QObject {
    Q_OBJECT

private slots:
    void classify_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<Kind>("kind");
        QTest::newRow("pdf") << "/tmp/a.pdf" << Kind::pdf;
        QTest::newRow("PDF upper case") << "/tmp/A.PDF" << Kind::pdf;
        QTest::newRow("MD") << "/tmp/notes.MD" << Kind::converted;
        QTest::newRow("Key mixed case") << "/tmp/talk.Key" << Kind::preview;
        QTest::newRow("only the last extension") << "/tmp/report.pdf.txt" << Kind::converted;
        QTest::newRow("rtfd folder") << "/tmp/Letter.rtfd/" << Kind::converted;
        QTest::newRow("heic") << "/tmp/photo.heic" << Kind::converted;
        QTest::newRow("epub") << "/tmp/book.epub" << Kind::preview;
        QTest::newRow("zip") << "/tmp/archive.zip" << Kind::unknown;
        QTest::newRow("no extension") << "/tmp/README" << Kind::unknown;
        QTest::newRow("dot in folder only") << "/tmp/v1.2/README" << Kind::unknown;
    }

    void classify() {
        QFETCH(QString, path);
        QFETCH(Kind, kind);
        QCOMPARE(FileOpenRouter::classify(path), kind);
    }

    void extensionListsAreExact() {
        QCOMPARE(FileOpenRouter::track1Extensions(),
                 QStringList({"rtf", "rtfd", "txt", "doc", "docx", "html", "htm", "md", "jpg", "jpeg", "png",
                              "heic", "gif", "bmp", "tiff", "tif"}));
        QCOMPARE(FileOpenRouter::track2Extensions(),
                 QStringList({"xls", "xlsx", "ppt", "pptx", "pages", "numbers", "key", "epub"}));
    }

    void openSendsEachKindOnItsRoad() {
        RecordingTargets targets;
        FileOpenRouter::setTargets(&targets);
        for (const char* path : {"/a.pdf", "/b.docx", "/c.xlsx", "/d.zip"})
            FileOpenRouter::open(path);
        FileOpenRouter::setTargets(nullptr);
        QCOMPARE(targets.calls,
                 QStringList({"document:/a.pdf", "import:/b.docx", "preview:/c.xlsx", "preview:/d.zip"}));
    }

    void dialogAndDropTypes() {
        const QStringList types = FileOpenRouter::allSupportedContentTypes();
        QCOMPARE(types.size(), 25);
        QCOMPARE(QSet<QString>(types.begin(), types.end()).size(), 25);
        QVERIFY(types.contains("*.pdf") && types.contains("*.jpeg") && types.contains("*.epub"));
        const QStringList drops = FileOpenRouter::allDropUTTypes();
        QCOMPARE(drops.size(), 26);
        QCOMPARE(drops.last(), QString("*"));
        QVERIFY(FileOpenRouter::openDialogNameFilter().contains("*.docx"));
    }
};

QTEST_GUILESS_MAIN(TestFileOpenRouter)
#include "test_file_open_router.moc"
