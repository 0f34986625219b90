// Page edits: move, delete and merge with undo and redo putting back the very same pages, extraction and
// concatenation into new documents, broken pages, outline entries of deleted pages, derived files.
#include "BrokenPages.h"
#include "PdfFixtures.h"
#include "core/UndoManager.h"
#include "document/ThumbnailCache.h"
#include "document/pages/DerivedFile.h"
#include "document/pages/PageOperations.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla::document;
using zepla::pdf::PageHandle;
using zepla::platform::UndoManager;

namespace {

std::unique_ptr<PDFEditorDocument> documentOf(const QByteArray& bytes) {
    auto result = PDFEditorDocument::read(bytes);
    if (!result)
        qFatal("fixture did not read");
    return std::move(result).value();
}

std::shared_ptr<zepla::pdf::Document> pdfOf(const QByteArray& bytes) {
    return zepla::pdf::Document::open(bytes).value();
}

std::vector<PageHandle> handles(const zepla::pdf::Document& pdf) {
    std::vector<PageHandle> pages;
    for (int i = 0; i < pdf.pageCount(); ++i)
        pages.push_back(pdf.page(i));
    return pages;
}

// The old indices of the pages now in the document, in their order: {1, 2, 3, 0, 4} after moving 0 to 3.
QList<int> order(const zepla::pdf::Document& pdf, const std::vector<PageHandle>& original) {
    QList<int> result;
    for (const PageHandle& page : handles(pdf)) {
        const auto found = std::find(original.begin(), original.end(), page);
        result.append(found == original.end() ? -1 : int(found - original.begin()));
    }
    return result;
}

// The first line of text of every page ("Page 3 ..." for the third page of a text fixture).
QStringList texts(const zepla::pdf::Document& pdf) {
    QStringList result;
    for (int i = 0; i < pdf.pageCount(); ++i)
        result.append(pdf.pageText(i).value().trimmed());
    return result;
}

void fillCache() {
    ThumbnailCache::setObject(QStringLiteral("stale"), QImage(2, 2, QImage::Format_RGB32));
}

} // namespace

class TestPageOperations : public QObject {
    Q_OBJECT

private slots:
    void init() { ThumbnailCache::removeAllObjects(); }

    void movePage_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("0 to 3") << 0 << 3 << QList<int>{1, 2, 3, 0, 4};
        QTest::newRow("3 to 1") << 3 << 1 << QList<int>{0, 3, 1, 2, 4};
        QTest::newRow("to the count goes last") << 1 << 5 << QList<int>{0, 2, 3, 4, 1};
        QTest::newRow("far past the end goes last") << 0 << 99 << QList<int>{1, 2, 3, 4, 0};
        QTest::newRow("negative target goes first") << 2 << -4 << QList<int>{2, 0, 1, 3, 4};
    }

    void movePage() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QList<int>, expected);
        auto document = documentOf(fixtures::makeTextPdf(5));
        const auto original = handles(*document->pdfDocument());
        UndoManager undo;
        QSignalSpy changed(document.get(), &PDFEditorDocument::changed);
        fillCache();

        PageOperations::movePage(*document, from, to, &undo);
        QCOMPARE(order(*document->pdfDocument(), original), expected);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(ThumbnailCache::count(), 0);

        fillCache();
        undo.undo();
        QCOMPARE(order(*document->pdfDocument(), original), (QList<int>{0, 1, 2, 3, 4}));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(ThumbnailCache::count(), 0);
        undo.redo();
        QCOMPARE(order(*document->pdfDocument(), original), expected);
        undo.undo();
        QCOMPARE(order(*document->pdfDocument(), original), (QList<int>{0, 1, 2, 3, 4}));
    }

    void movesThatNameNoPageDoNothing_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("onto itself") << 2 << 2;
        QTest::newRow("negative source") << -1 << 2;
        QTest::newRow("source at the count") << 5 << 0;
        QTest::newRow("source past the end") << 40 << 0;
    }

    void movesThatNameNoPageDoNothing() {
        QFETCH(int, from);
        QFETCH(int, to);
        auto document = documentOf(fixtures::makeTextPdf(5));
        const auto original = handles(*document->pdfDocument());
        UndoManager undo;
        QSignalSpy changed(document.get(), &PDFEditorDocument::changed);
        PageOperations::movePage(*document, from, to, &undo);
        QCOMPARE(handles(*document->pdfDocument()), original);
        QCOMPARE(changed.count(), 0);
        QVERIFY(!undo.canUndo());
    }

    void movingTheLastPageFurtherIsAnEditWhoseUndoChangesNothing() {
        auto document = documentOf(fixtures::makeTextPdf(5));
        const auto original = handles(*document->pdfDocument());
        UndoManager undo;
        QSignalSpy changed(document.get(), &PDFEditorDocument::changed);
        PageOperations::movePage(*document, 4, 9, &undo);
        QCOMPARE(handles(*document->pdfDocument()), original);
        QCOMPARE(changed.count(), 1);
        QVERIFY(undo.canUndo());
        undo.undo();
        QCOMPARE(handles(*document->pdfDocument()), original);
        QVERIFY(!undo.canRedo());
    }

    void withoutAnUndoManagerEditsStillHappen() {
        auto document = documentOf(fixtures::makeTextPdf(3));
        QSignalSpy changed(document.get(), &PDFEditorDocument::changed);
        PageOperations::movePage(*document, 0, 2, nullptr);
        PageOperations::deletePages(*document, {0}, nullptr);
        QCOMPARE(texts(*document->pdfDocument()), (QStringList{"Page 3", "Page 1"}));
        QCOMPARE(changed.count(), 2);
    }

    void deleteAndUndoPutBackTheSamePagesWithTheirAnnotations() {
        fixtures::DocSpec spec;
        for (int i = 0; i < 5; ++i)
            spec.pages.append({QStringLiteral("Page %1").arg(i + 1)});
        spec.pages[1].withNote = true;
        spec.pages[3].withTextField = true;
        auto document = documentOf(fixtures::makePdf(spec));
        auto& pdf = *document->pdfDocument();
        const auto original = handles(pdf);
        const auto note = pdf.annotations(1).value();
        const auto field = pdf.annotations(3).value();
        UndoManager undo;
        QSignalSpy changed(document.get(), &PDFEditorDocument::changed);
        fillCache();

        PageOperations::deletePages(*document, {3, 1}, &undo);
        QCOMPARE(order(pdf, original), (QList<int>{0, 2, 4}));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(ThumbnailCache::count(), 0);

        fillCache();
        undo.undo();
        QCOMPARE(handles(pdf), original);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(ThumbnailCache::count(), 0);
        QCOMPARE(pdf.annotations(1).value().front().handle, note.front().handle);
        QCOMPARE(pdf.annotations(3).value().front().handle, field.front().handle);
        QCOMPARE(pdf.annotations(3).value().front().subtype, QStringLiteral("Widget"));

        undo.redo();
        QCOMPARE(order(pdf, original), (QList<int>{0, 2, 4}));
        undo.undo();
        QCOMPARE(handles(pdf), original);
    }

    void deletingEveryPageAndOnlyMissingPages() {
        auto document = documentOf(fixtures::makeTextPdf(3));
        const auto original = handles(*document->pdfDocument());
        UndoManager undo;
        PageOperations::deletePages(*document, {7, 3, -1}, &undo);
        QCOMPARE(handles(*document->pdfDocument()), original);
        QVERIFY(!undo.canUndo());

        PageOperations::deletePages(*document, {0, 1, 2, 8}, &undo);
        QCOMPARE(document->pdfDocument()->pageCount(), 0);
        undo.undo();
        QCOMPARE(handles(*document->pdfDocument()), original);
    }

    void mergeInsertsCopiesAndUndoTakesThemOut_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("expected");
        const QString a = "Page 1 source", b = "Page 2 source", c = "Page 3 source";
        QTest::newRow("at 2") << 2 << QStringList{"Page 1", "Page 2", a, b, c, "Page 3", "Page 4"};
        QTest::newRow("at the count appends")
            << 4 << QStringList{"Page 1", "Page 2", "Page 3", "Page 4", a, b, c};
        QTest::newRow("past the end appends")
            << 40 << QStringList{"Page 1", "Page 2", "Page 3", "Page 4", a, b, c};
        QTest::newRow("negative goes first")
            << -3 << QStringList{a, b, c, "Page 1", "Page 2", "Page 3", "Page 4"};
    }

    void mergeInsertsCopiesAndUndoTakesThemOut() {
        QFETCH(int, index);
        QFETCH(QStringList, expected);
        auto document = documentOf(fixtures::makeTextPdf(4));
        auto& pdf = *document->pdfDocument();
        const auto original = handles(pdf);
        auto source = pdfOf(fixtures::makeTextPdf(3, "source"));
        UndoManager undo;
        QSignalSpy changed(document.get(), &PDFEditorDocument::changed);
        fillCache();

        QCOMPARE(PageOperations::merge(*document, *source, index, &undo), 0);
        QCOMPARE(texts(pdf), expected);
        QCOMPARE(source->pageCount(), 3);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(ThumbnailCache::count(), 0);
        const auto merged = handles(pdf);

        undo.undo();
        QCOMPARE(handles(pdf), original);
        undo.redo();
        QCOMPARE(handles(pdf), merged); // the very same copies come back
        undo.undo();
        QCOMPARE(handles(pdf), original);
    }

    void mergeUndoRemovesOnlyThePagesThatWereCopied() {
        auto document = documentOf(fixtures::makeTextPdf(4));
        auto& pdf = *document->pdfDocument();
        const auto original = handles(pdf);
        auto source = pdfOf(withBrokenPage(3, 1));
        UndoManager undo;

        QCOMPARE(PageOperations::merge(*document, *source, 1, &undo), 1);
        QCOMPARE(texts(pdf), (QStringList{"Page 1", "Page 1", "Page 3", "Page 2", "Page 3", "Page 4"}));
        undo.undo();
        QCOMPARE(handles(pdf), original);
    }

    void mergeOfAnEmptyOrUnreadableSourceDoesNothing() {
        auto document = documentOf(fixtures::makeTextPdf(2));
        UndoManager undo;
        QSignalSpy changed(document.get(), &PDFEditorDocument::changed);
        auto empty = zepla::pdf::Document::createEmpty();
        QCOMPARE(PageOperations::merge(*document, *empty, 0, &undo), 0);
        QCOMPARE(PageOperations::merge(*document, *pdfOf(withBrokenPage(1, 0)), 0, &undo), 1);
        QCOMPARE(document->pdfDocument()->pageCount(), 2);
        QCOMPARE(changed.count(), 0);
        QVERIFY(!undo.canUndo());
    }

    void extractCopiesChosenPagesInAscendingOrder() {
        auto source = pdfOf(fixtures::makeTextPdf(5));
        const auto before = handles(*source);
        const DerivedDocument extracted = PageOperations::extractPages({4, 0, 2, 9, -1}, *source);
        QCOMPARE(texts(*extracted.document), (QStringList{"Page 1", "Page 3", "Page 5"}));
        QCOMPARE(extracted.failedPages, 0);
        QCOMPARE(handles(*source), before);
    }

    void extractCountsPagesThatCouldNotBeCopied() {
        auto source = pdfOf(withBrokenPage(4, 2));
        const DerivedDocument extracted = PageOperations::extractPages({0, 1, 2, 3}, *source);
        QCOMPARE(texts(*extracted.document), (QStringList{"Page 1", "Page 2", "Page 4"}));
        QCOMPARE(extracted.failedPages, 1);
    }

    void mergeFilesConcatenatesInListOrder() {
        QCOMPARE(PageOperations::mergeFiles({}).document->pageCount(), 0);
        auto a = pdfOf(fixtures::makeTextPdf(2, "a"));
        auto b = pdfOf(fixtures::makeTextPdf(1, "b"));
        const DerivedDocument merged =
            PageOperations::mergeFiles({b, a, zepla::pdf::Document::createEmpty()});
        QCOMPARE(texts(*merged.document), (QStringList{"Page 1 b", "Page 1 a", "Page 2 a"}));
        QCOMPARE(merged.failedPages, 0);
        QCOMPARE(a->pageCount(), 2);
    }

    // The outline keeps naming a deleted page, so undo finds it whole; a file saved meanwhile names nothing.
    void outlineEntriesOfDeletedPagesComeBackWithUndo() {
        fixtures::DocSpec spec{{{"Page 1"}, {"Page 2"}, {"Page 3"}}, true};
        auto document = documentOf(fixtures::makePdf(spec));
        auto& pdf = *document->pdfDocument();
        const auto outline = pdf.outline();
        UndoManager undo;
        PageOperations::deletePages(*document, {1}, &undo);
        QVERIFY(pdf.render(0, 0.5).ok());
        const auto saved = pdf.save();
        QVERIFY(saved.ok());
        const auto reopened = pdfOf(saved.value())->outline();
        QCOMPARE(reopened.size(), std::size_t(2));
        QCOMPARE(reopened[0].pageIndex, 0);
        QCOMPARE(reopened[1].pageIndex, -1); // "Second" named the deleted page

        undo.undo();
        QCOMPARE(pdf.outline(), outline);
    }

    void undoAfterTheWindowGotAnotherPdfLeavesThatPdfAlone() {
        auto document = documentOf(fixtures::makeTextPdf(3));
        UndoManager undo;
        PageOperations::deletePages(*document, {0}, &undo);
        document->setPdfDocument(pdfOf(fixtures::makeTextPdf(2, "other")));
        undo.undo();
        QCOMPARE(texts(*document->pdfDocument()), (QStringList{"Page 1 other", "Page 2 other"}));
    }

    void derivedFileIsAWholePdf() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Extracted Pages.pdf");
        QVERIFY(writeDerivedFile(*pdfOf(fixtures::makeTextPdf(2)), path).ok());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(pdfOf(file.readAll())->pageCount(), 2);
    }

    void unwritableLocationsFailWithAMessage_data() {
        QTest::addColumn<QString>("relative");
        QTest::newRow("missing folder") << "missing/Extracted Pages.pdf";
        QTest::newRow("a folder") << "folder";
    }

    void unwritableLocationsFailWithAMessage() {
        QFETCH(QString, relative);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        const auto status = writeDerivedFile(*pdfOf(fixtures::makeTextPdf(1)), dir.filePath(relative));
        QVERIFY(!status.ok());
        QVERIFY(status.error().message.contains(relative));
    }
};

QTEST_MAIN(TestPageOperations)
#include "test_page_operations.moc"
