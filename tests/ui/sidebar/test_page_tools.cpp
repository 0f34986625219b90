// The sidebar's "Page tools" menu: its sections and items, the sheets and signals they lead to, merging into
// the document and into a new file, splitting (with the overwrite question), and the unprotected copy.
#include "PdfFixtures.h"
#include "SidebarWindow.h"
#include "pdf/PdfDocument.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace zepla;
using namespace zepla::ui;

namespace {

// A sidebar whose panels answer what the test sets.
struct Window : SidebarWindow {
    explicit Window(const QByteArray& pdf, bool withPdfView = false)
        : SidebarWindow(pdf, {600, 500}, withPdfView) {
        sidebar->setSavePanel([this](const QString& name) {
            asked.append(name);
            return saveAs;
        });
        sidebar->setOpenPanels(
            {[this] { return chosen.value(0); }, [this] { return chosen; }, [this] { return folder; }});
    }

    QAction* item(const QString& title) const {
        for (QAction* action : sidebar->pageToolsMenu()->actions())
            if (action->text() == title)
                return action;
        qFatal("no item %s", qPrintable(title));
    }
    PageAlert alert() const { return sidebar->pendingAlert().value_or(PageAlert{}); }

    QStringList chosen; // what the open panels answer
    QString folder;     // what the folder panel answers
    QString saveAs;     // what the save panel answers
    QStringList asked;  // the names the save panel proposed
};

// A file of `pages` pages whose texts start with `word`.
QString writePdf(const QTemporaryDir& dir, const QString& name, int pages, const QString& word,
                 const QString& password = {}) {
    fixtures::DocSpec spec;
    for (int i = 1; i <= pages; ++i)
        spec.pages.append({QStringLiteral("%1%2").arg(word).arg(i)});
    QByteArray bytes = fixtures::makePdf(spec);
    if (!password.isEmpty()) {
        auto pdf = pdf::Document::open(bytes).value();
        pdf::SaveOptions options;
        options.encryption = pdf::SaveOptions::Encryption::Aes256;
        options.userPassword = options.ownerPassword = password;
        bytes = pdf->save(options).value();
    }
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(name));
    return file.fileName();
}

QStringList textsOfFile(const QString& path) {
    auto pdf = pdf::Document::openFile(path);
    return pdf ? Window::textsOf(*pdf.value()) : QStringList{QStringLiteral("unreadable")};
}

// Answers the next modal question by pressing the button titled `button`; returns its text.
void answerNextQuestion(const QString& button, QString* text) {
    QTimer::singleShot(0, [button, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            answerNextQuestion(button, text);
            return;
        }
        *text = box->text() + QLatin1Char('|') + box->informativeText();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == button)
                b->click();
    });
}

} // namespace

class TestPageTools : public QObject {
    Q_OBJECT

private slots:
    void menuHasItsSectionsAndItems() {
        Window w(fixtures::makeTextPdf(2));
        QStringList shown;
        for (QAction* action : w.sidebar->pageToolsMenu()->actions())
            shown.append((action->isSeparator() ? "# " : "") + action->text());
        QCOMPARE(shown, QStringList({"# Pages", "Merge PDF Into Document…", "Merge Multiple Files…",
                                     "Split Document…", "# Document", "Edit Metadata…", "Edit Bookmarks…",
                                     "Add Watermark…", "# Optimize", "Compress PDF…", "Recognize Text (OCR)…",
                                     "# Security", "Set Password (Encrypt)…", "Remove Password (Decrypt)…"}));

        QList<SidebarSheet> asked;
        w.sidebar->setSheetFactory([&](SidebarSheet sheet, QWidget* parent) {
            asked.append(sheet);
            return new QDialog(parent);
        });
        const std::pair<const char*, SidebarSheet> sheets[] = {
            {"Edit Metadata…", SidebarSheet::metadata},
            {"Edit Bookmarks…", SidebarSheet::bookmarks},
            {"Add Watermark…", SidebarSheet::watermark},
            {"Compress PDF…", SidebarSheet::compress},
            {"Set Password (Encrypt)…", SidebarSheet::setPassword}};
        for (const auto& [title, sheet] : sheets) {
            w.item(title)->trigger();
            QCOMPARE(w.sidebar->activeSheet(), std::optional(sheet));
            w.sidebar->findChild<QDialog*>()->reject();
            QTRY_VERIFY(!w.sidebar->findChild<QDialog*>());
        }
        QCOMPARE(asked.size(), 5);

        QSignalSpy ocr(w.sidebar, &ThumbnailSidebar::ocrDocumentRequested);
        w.item("Recognize Text (OCR)…")->trigger();
        QCOMPARE(ocr.count(), 1);
        w.sidebar->setDocumentOCRRunning(true);
        QVERIFY(!w.item("Recognize Text (OCR)…")->isEnabled());
        w.sidebar->setDocumentOCRRunning(false);
        QVERIFY(w.item("Recognize Text (OCR)…")->isEnabled());

        QVERIFY(!w.item("Remove Password (Decrypt)…")->isEnabled());
        w.document->setWasPasswordProtected(true);
        QVERIFY(w.item("Remove Password (Decrypt)…")->isEnabled());
    }

    void mergeIntoTheDocument() {
        QTemporaryDir dir;
        Window w(fixtures::makeTextPdf(6));
        w.chosen = {writePdf(dir, "extra.pdf", 2, "Extra")};
        w.sidebar->handleTap(2, Qt::ControlModifier);
        w.sidebar->handleTap(5, Qt::ControlModifier);
        w.sidebar->mergeDocument();
        QStringList texts = w.texts();
        QCOMPARE(texts.mid(2, 3), QStringList({"Page 3", "Extra1", "Extra2"}));
        QCOMPARE(w.sidebar->selection(), (document::IndexSet{2, 5}));
        QVERIFY(!w.sidebar->pendingAlert());
        w.undo.undo();
        QCOMPARE(w.texts().size(), 6);

        w.sidebar->handleTap(0, Qt::NoModifier); // empties the selection: append at the end
        w.sidebar->mergeDocument();
        QCOMPARE(w.texts().mid(6), QStringList({"Extra1", "Extra2"}));

        w.chosen = {writePdf(dir, "locked.pdf", 1, "Secret", "pw")};
        int prompts = 0;
        w.sidebar->setPasswordPrompt([&](bool) -> std::optional<QString> {
            ++prompts;
            return std::nullopt;
        });
        w.sidebar->mergeDocument(); // cancelled: nothing, no alert
        QCOMPARE(prompts, 1);
        QCOMPARE(w.texts().size(), 8);
        QVERIFY(!w.sidebar->pendingAlert());
        w.sidebar->setPasswordPrompt([](bool wrong) { return std::optional<QString>(wrong ? "pw" : "no"); });
        w.sidebar->mergeDocument();
        QCOMPARE(w.texts().last(), QStringLiteral("Secret1"));

        QFile junk(dir.filePath("notes.pdf"));
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("not a pdf at all") > 0);
        junk.close();
        w.chosen = {junk.fileName()};
        w.sidebar->mergeDocument();
        QCOMPARE(w.alert(), (PageAlert{"Couldn't Open PDF", "notes.pdf couldn't be read as a PDF."}));
        QCOMPARE(w.texts().size(), 9);
    }

    void mergeMultipleFiles() {
        QTemporaryDir dir;
        Window w(fixtures::makeTextPdf(1));
        QFile junk(dir.filePath("second.pdf"));
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("%PDF-1.7 broken") > 0);
        junk.close();
        w.saveAs = dir.filePath("out.pdf");
        w.chosen = {writePdf(dir, "first.pdf", 2, "A"), junk.fileName(), writePdf(dir, "third.pdf", 1, "C")};
        w.sidebar->mergeMultipleFiles();
        QCOMPARE(w.alert(), (PageAlert{"Couldn't Open PDF", "second.pdf couldn't be read as a PDF."}));
        QVERIFY(w.asked.isEmpty());
        QVERIFY(!QFile::exists(w.saveAs));

        w.chosen = {dir.filePath("first.pdf"), dir.filePath("third.pdf")};
        w.sidebar->mergeMultipleFiles();
        QCOMPARE(w.asked, QStringList{"Merged.pdf"});
        QCOMPARE(w.alert(), (PageAlert{"Merge Complete", "Saved out.pdf with 3 pages from 2 files."}));
        QCOMPARE(textsOfFile(w.saveAs), QStringList({"A1", "A2", "C1"}));
        QCOMPARE(w.texts(), QStringList{"Page 1"}); // the open document is not touched
        QVERIFY(!w.undo.canUndo());

        w.chosen = {dir.filePath("third.pdf")};
        w.sidebar->mergeMultipleFiles();
        QCOMPARE(w.alert().message, QStringLiteral("Saved out.pdf with 1 pages from 1 files."));

        w.saveAs = dir.filePath("missing folder/out.pdf");
        w.sidebar->mergeMultipleFiles();
        QCOMPARE(w.alert(),
                 (PageAlert{"Couldn't Save", "The merged PDF couldn't be written to that location."}));

        w.asked.clear();
        w.saveAs.clear(); // a cancelled panel writes nothing and says nothing more
        w.sidebar->showAlert({});
        w.sidebar->mergeMultipleFiles();
        QCOMPARE(w.asked.size(), 1);
        QCOMPARE(w.alert(), PageAlert{});
    }

    void splitTable() {
        QTemporaryDir dir;
        const QString folder = dir.path();
        struct Case {
            int pages;
            document::IndexSet selection;
            PageAlert alert;
            QStringList first, second;
        };
        const PageAlert complete{
            "Split Complete", "Saved Document (1).pdf and Document (2).pdf. The open document is unchanged."};
        const Case cases[] = {
            {2, {}, complete, {"Page 1"}, {"Page 2"}},
            {5, {}, complete, {"Page 1", "Page 2"}, {"Page 3", "Page 4", "Page 5"}},
            {6, {3, 1}, complete, {"Page 1"}, {"Page 2", "Page 3", "Page 4", "Page 5", "Page 6"}},
            {6,
             {0, 4},
             {"Can't Split There", "Select a page (other than the first) to split before."},
             {},
             {}},
            {1, {}, {"Nothing to Split", "This document only has one page."}, {}, {}},
        };
        for (const Case& c : cases) {
            QDir(folder).removeRecursively();
            QDir().mkpath(folder);
            Window w(fixtures::makeTextPdf(c.pages));
            w.folder = folder;
            for (int i : c.selection)
                w.sidebar->handleTap(i, Qt::ControlModifier);
            w.sidebar->splitDocument();
            QCOMPARE(w.alert(), c.alert);
            const QString first = QDir(folder).filePath("Document (1).pdf");
            QCOMPARE(QFile::exists(first), !c.first.isEmpty());
            if (!c.first.isEmpty()) {
                QCOMPARE(textsOfFile(first), c.first);
                QCOMPARE(textsOfFile(QDir(folder).filePath("Document (2).pdf")), c.second);
            }
            QCOMPARE(w.texts().size(), c.pages);
        }

        // With a view on the first page and nothing selected, the current page is no place to split.
        Window viewed(fixtures::makeTextPdf(3), true);
        QTRY_COMPARE(viewed.coordinator.currentPageIndex(), std::optional(0));
        viewed.sidebar->splitDocument();
        QCOMPARE(viewed.alert().title, QStringLiteral("Can't Split There"));
    }

    void splitAsksBeforeReplacingAndStopsAtTheFirstFailure() {
        QTemporaryDir dir;
        Window w(fixtures::makeTextPdf(4));
        w.coordinator.setFilePath(dir.filePath("Report.pdf"));
        w.folder = dir.path();
        const QString first = dir.filePath("Report (1).pdf"), second = dir.filePath("Report (2).pdf");
        QFile old(second);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();

        QString question;
        answerNextQuestion("Cancel", &question);
        w.sidebar->splitDocument();
        QCOMPARE(question, QStringLiteral("Replace Existing Files?|“Report (2).pdf” already exist in that "
                                          "folder. Replacing overwrites them."));
        QVERIFY(!QFile::exists(first));
        QVERIFY(!w.sidebar->pendingAlert());

        answerNextQuestion("Replace", &question);
        w.sidebar->splitDocument();
        QCOMPARE(w.alert().title, QStringLiteral("Split Complete"));
        QCOMPARE(textsOfFile(second), QStringList({"Page 3", "Page 4"}));

        // The first part cannot be written (a folder has its name): the second is not attempted.
        QVERIFY(QFile::remove(first) && QFile::remove(second));
        QVERIFY(QDir().mkdir(first));
        answerNextQuestion("Replace", &question);
        w.sidebar->splitDocument();
        QCOMPARE(w.alert(),
                 (PageAlert{"Couldn't Save", "The split documents couldn't be written to that folder."}));
        QVERIFY(!QFile::exists(second));
    }

    void removePasswordWritesAnUnprotectedCopy() {
        QTemporaryDir dir;
        const QString locked = writePdf(dir, "Locked.pdf", 2, "Hidden", "pw");
        QFile file(locked);
        QVERIFY(file.open(QIODevice::ReadOnly));
        Window w(file.readAll());
        QVERIFY(w.document->pdfDocument()->authenticate("pw"));
        w.document->setWasPasswordProtected(true);
        w.saveAs = dir.filePath("Open.pdf");
        w.item("Remove Password (Decrypt)…")->trigger();
        QCOMPARE(w.asked, QStringList{"Document (Unlocked).pdf"});
        QCOMPARE(w.alert(), (PageAlert{"Password Removed", "Saved an unprotected copy to Open.pdf."}));
        auto copy = pdf::Document::openFile(w.saveAs).value();
        QVERIFY(!copy->isEncrypted());
        QCOMPARE(Window::textsOf(*copy), QStringList({"Hidden1", "Hidden2"}));
    }
};

QTEST_MAIN(TestPageTools)
#include "test_page_tools.moc"
