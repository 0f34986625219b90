// The document of a window: reading, its two read failures, locked files, snapshots and change signals.
#include "PdfFixtures.h"
#include "document/PDFEditorDocument.h"

#include <QSignalSpy>
#include <QTest>

using namespace zepla::document;
using zepla::pdf::SaveOptions;

namespace {

std::unique_ptr<PDFEditorDocument> readOrFail(const QByteArray& bytes) {
    auto result = PDFEditorDocument::read(bytes);
    if (!result)
        qFatal("read failed");
    return std::move(result).value();
}

QByteArray encrypted(const QByteArray& plain, const QString& password) {
    return zepla::pdf::Document::open(plain)
        .value()
        ->save(SaveOptions{SaveOptions::Encryption::Aes256, password, password + "-owner"})
        .value();
}

} // namespace

class TestPDFEditorDocument : public QObject {
    Q_OBJECT

private slots:
    void newDocumentIsEmpty() {
        PDFEditorDocument d;
        QCOMPARE(d.pdfDocument()->pageCount(), 0);
        QVERIFY(!d.wasPasswordProtected());
    }

    void unreadableBytesFail_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("zero bytes") << QByteArray();
        QTest::newRow("not a PDF") << QByteArray("PK\x03\x04 a zip archive, say");
        const QByteArray whole = fixtures::makeTextPdf(3);
        QTest::newRow("cut off before its pages") << whole.left(whole.indexOf("endobj") + 6);
        QTest::newRow("no pages") << fixtures::makePdf({});
    }

    void unreadableBytesFail() {
        QFETCH(QByteArray, bytes);
        auto result = PDFEditorDocument::read(bytes);
        QVERIFY(!result.ok());
        QCOMPARE(result.error().code, DocumentError::Code::fileReadCorruptFile);
        QVERIFY(!result.error().message.isEmpty());
    }

    void lockedFileReadsAndStaysLocked() {
        const QByteArray bytes = encrypted(fixtures::makeTextPdf(2), "pw");
        auto d = readOrFail(bytes);
        QVERIFY(d->wasPasswordProtected());
        QVERIFY(d->pdfDocument()->isLocked());
        // Saving before unlocking writes the file as it was read.
        QCOMPARE(d->snapshot().value(), bytes);
        QVERIFY(d->pdfDocument()->authenticate("pw"));
        QVERIFY(d->wasPasswordProtected());
        auto reread = readOrFail(d->snapshot().value());
        QVERIFY(reread->wasPasswordProtected());
    }

    void snapshotWritesTheEditedDocument() {
        auto d = readOrFail(fixtures::makeTextPdf(3));
        QVERIFY(d->pdfDocument()->removePage(0).ok());
        auto saved = readOrFail(d->snapshot().value());
        QCOMPARE(saved->pdfDocument()->pageCount(), 2);
        QCOMPARE(saved->pdfDocument()->pageText(0).value().trimmed(), QString("Page 2"));
    }

    void changeSignals() {
        auto d = readOrFail(fixtures::makeTextPdf(1));
        QSignalSpy changed(d.get(), &PDFEditorDocument::changed);
        QSignalSpy replaced(d.get(), &PDFEditorDocument::pdfDocumentReplaced);
        QSignalSpy protectedChanged(d.get(), &PDFEditorDocument::wasPasswordProtectedChanged);
        d->announceChange();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(replaced.count(), 0);

        auto other = zepla::pdf::Document::open(fixtures::makeTextPdf(4)).value();
        d->setPdfDocument(other);
        QCOMPARE(replaced.count(), 1);
        QCOMPARE(d->pdfDocument()->pageCount(), 4);
        d->setWasPasswordProtected(true);
        d->setWasPasswordProtected(true);
        QCOMPARE(protectedChanged.count(), 1);
    }

    // Pages swapped in one by one are announced together a moment later; an announcement made meanwhile
    // covers them, and nothing follows it.
    void changesSoonAreAnnouncedOnceTogether() {
        auto d = readOrFail(fixtures::makeTextPdf(1));
        QSignalSpy changed(d.get(), &PDFEditorDocument::changed);
        for (int page = 0; page < 20; ++page)
            d->announceChangeSoon();
        QCOMPARE(changed.count(), 0);
        QTRY_COMPARE(changed.count(), 1);
        QTest::qWait(300);
        QCOMPARE(changed.count(), 1);

        d->announceChangeSoon();
        d->announceChange();
        QCOMPARE(changed.count(), 2);
        QTest::qWait(300);
        QCOMPARE(changed.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestPDFEditorDocument)
#include "test_pdf_editor_document.moc"
