// Bookmarks written as one flat level sorted by page and undone back to the very outline object they
// replaced; document information saved with its keyword rules, XMP taken out while it would contradict.
#include "../../ui/support/EditorDocuments.h"
#include "ExternalTool.h"
#include "PdfFixtures.h"
#include "core/UndoManager.h"
#include "document/bookmarks/BookmarkOperations.h"
#include "document/metadata/DocumentMetadata.h"
#include "pdf/PdfCatalog.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zepla;
using document::BookmarkOperations::Bookmark;

namespace {

QStringList titles(const std::vector<pdf::OutlineItem>& items) {
    QStringList out;
    for (const pdf::OutlineItem& item : items)
        out << item.title;
    return out;
}

std::unique_ptr<document::PDFEditorDocument> documentWithOutline(bool withOutline, int pages = 3) {
    fixtures::DocSpec spec;
    for (int page = 0; page < pages; ++page)
        spec.pages << fixtures::PageSpec{QStringLiteral("Page %1").arg(page + 1)};
    spec.withOutline = withOutline;
    return testsupport::editorDocument(fixtures::makePdf(spec));
}

// Lets the undo manager close the step the last edit opened.
void endStep() {
    QCoreApplication::processEvents();
}

} // namespace

class TestBookmarksAndInfo : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void nestedOutlineReadsFlatWritesFlatAndUndoesToTheOldTree() {
        auto document = documentWithOutline(true);
        pdf::Document& file = *document->pdfDocument();
        const std::vector<pdf::OutlineItem> nested = file.outline();
        const int nestedRoot = pdf::catalogObject(file, "Outlines");
        QVERIFY(nestedRoot > 0);

        const std::vector<Bookmark> read = document::BookmarkOperations::read(file);
        QStringList readTitles;
        for (const Bookmark& bookmark : read)
            readTitles << bookmark.title;
        QCOMPARE(readTitles, (QStringList{"First", "Second", "Child"}));

        platform::UndoManager undo;
        document::BookmarkOperations::writeBookmarks(read, *document, &undo);
        endStep();
        // Sorted by page, stable: First and Child are both on page 1 and keep their list order.
        QCOMPARE(titles(file.outline()), (QStringList{"First", "Child", "Second"}));
        for (const pdf::OutlineItem& item : file.outline())
            QVERIFY(item.children.empty());
        const QString saved = writeTestBytes(m_dir.filePath("flat.pdf"), file.save().value());
        const QString shown = QString::fromUtf8(runTool("mutool", {"show", saved, "outline"}).out);
        QVERIFY2(!shown.contains("\t\t"), qPrintable(shown)); // no nested entry
        // Destinations land at the top of their page.
        QVERIFY(fixtures::searchable(file.save().value()).contains("/XYZ 0 792 null"));

        undo.undo();
        endStep();
        QCOMPARE(pdf::catalogObject(file, "Outlines"), nestedRoot);
        QCOMPARE(file.outline(), nested);
        undo.redo();
        endStep();
        QCOMPARE(titles(file.outline()), (QStringList{"First", "Child", "Second"}));
    }

    void bookmarksOfOnePageKeepTheirOrder() {
        auto document = documentWithOutline(false);
        const std::vector<Bookmark> list{{QUuid::createUuid(), "c", 2},
                                         {QUuid::createUuid(), "b1", 1},
                                         {QUuid::createUuid(), "a", 0},
                                         {QUuid::createUuid(), "b2", 1},
                                         {QUuid::createUuid(), "beyond", 40}};
        document::BookmarkOperations::writeBookmarks(list, *document, nullptr);
        QCOMPARE(titles(document->pdfDocument()->outline()), (QStringList{"a", "b1", "b2", "c"}));
    }

    void emptyListLeavesAnEmptyRootAndUndoRemovesANewOutline() {
        auto document = documentWithOutline(false);
        pdf::Document& file = *document->pdfDocument();
        QCOMPARE(pdf::catalogObject(file, "Outlines"), 0);
        platform::UndoManager undo;
        document::BookmarkOperations::writeBookmarks({}, *document, &undo);
        endStep();
        QVERIFY(pdf::catalogObject(file, "Outlines") > 0);
        QVERIFY(file.outline().empty());
        undo.undo();
        endStep();
        QCOMPARE(pdf::catalogObject(file, "Outlines"), 0);
    }

    void manyLongAndStrangeTitles() {
        auto document = documentWithOutline(false, 2);
        std::vector<Bookmark> list;
        for (int i = 0; i < 10000; ++i)
            list.push_back({QUuid::createUuid(), QStringLiteral("Entry %1").arg(i), i % 2});
        list.push_back({QUuid::createUuid(), QString(10240, u'w'), 0});
        list.push_back({QUuid::createUuid(), QString::fromUtf8("שלום\nעולם"), 1});
        document::BookmarkOperations::writeBookmarks(list, *document, nullptr);
        auto reopened = pdf::Document::open(document->pdfDocument()->save().value()).value();
        const std::vector<Bookmark> read = document::BookmarkOperations::read(*reopened);
        QCOMPARE(read.size(), list.size());
        QCOMPARE(read.back().title, QString::fromUtf8("שלום\nעולם"));
    }

    void keywordsSplitAtCommasOnly_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("keywords");
        QTest::newRow("doubled comma, space before a comma, trailing comma and space")
            << "alpha,, beta ,gamma, " << QStringList{"alpha", "beta", "gamma"};
        QTest::newRow("only commas and spaces") << " , ,, " << QStringList{};
        QTest::newRow("a semicolon is no separator") << "one; two" << QStringList{"one; two"};
        QTest::newRow("tabs trimmed, line breaks kept") << "\tx\t,\ny" << QStringList{"x", "\ny"};
    }
    void keywordsSplitAtCommasOnly() {
        QFETCH(QString, typed);
        QFETCH(QStringList, keywords);
        QCOMPARE(document::DocumentMetadata::splitKeywords(typed), keywords);
    }

    void savedInfoReachesOtherReadersAndUndoesWhole() {
        auto document = documentWithOutline(false);
        pdf::Document& file = *document->pdfDocument();
        platform::UndoManager undo;
        const document::DocumentAttributes first{
            QString::fromUtf8("Заголовок 标题"), "Ada", "Engines", {"alpha", "beta"}};
        document::DocumentMetadata::applyAttributes(first, *document, document::DocumentMetadata::read(file),
                                                    &undo);
        endStep();
        const QString path = writeTestBytes(m_dir.filePath("info.pdf"), file.save().value());
        const QString info = QString::fromUtf8(runTool("pdfinfo", {path}).out);
        QVERIFY2(info.contains(QString::fromUtf8("Title:           Заголовок 标题")), qPrintable(info));
        QVERIFY(info.contains("Author:          Ada"));
        QVERIFY(info.contains("Keywords:        alpha, beta"));
        QCOMPARE(document::DocumentMetadata::read(file), first);

        // Clearing the author removes the key; a title of spaces stays as typed.
        document::DocumentAttributes second = first;
        second.author.clear();
        second.title = "   ";
        document::DocumentMetadata::applyAttributes(second, *document, first, &undo);
        endStep();
        QCOMPARE(file.infoValue("Author"), QString());
        QCOMPARE(file.infoValue("Title"), QString("   "));
        undo.undo();
        endStep();
        QCOMPARE(document::DocumentMetadata::read(file), first);
        undo.redo();
        endStep();
        QCOMPARE(file.infoValue("Author"), QString());

        // Saving without changes is still a step of its own.
        document::DocumentMetadata::applyAttributes(second, *document, second, &undo);
        endStep();
        QVERIFY(undo.canUndo());
        undo.undo();
        endStep();
        QCOMPARE(document::DocumentMetadata::read(file), second);
    }

    void xmpIsTakenOutWhileItWouldContradictAndComesBackOnUndo() {
        auto document = documentWithOutline(false);
        pdf::Document& file = *document->pdfDocument();
        // Any object will do as the catalog's metadata for this check: what matters is which one is there.
        const int metadata = pdf::catalogObject(file, "Pages");
        QVERIFY(pdf::setCatalogObject(file, "Metadata", metadata));
        platform::UndoManager undo;
        const document::DocumentAttributes previous = document::DocumentMetadata::read(file);
        document::DocumentAttributes next = previous;
        next.title = "New";
        document::DocumentMetadata::applyAttributes(next, *document, previous, &undo);
        endStep();
        QCOMPARE(pdf::catalogObject(file, "Metadata"), 0);
        undo.undo();
        endStep();
        QCOMPARE(pdf::catalogObject(file, "Metadata"), metadata);
        // Saving without a change leaves it.
        document::DocumentMetadata::applyAttributes(previous, *document, previous, &undo);
        QCOMPARE(pdf::catalogObject(file, "Metadata"), metadata);
    }
};

QTEST_MAIN(TestBookmarksAndInfo)
#include "test_bookmarks_and_info.moc"
