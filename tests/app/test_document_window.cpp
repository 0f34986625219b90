// Document windows: the modified marker, saving, the unsaved-changes prompt, opening a file that is already
// open or damaged, and opening a file into an empty window.
#include "../ui/support/EditorDocuments.h"
#include "LandingTestSupport.h"
#include "ShellFixture.h"
#include "app/DocumentWindow.h"
#include "app/OpenProgress.h"
#include "core/BackgroundSettings.h"
#include "document/ThumbnailCache.h"
#include "document/passwords/PasswordCopies.h"
#include "ui/landing/RecentDocuments.h"
#include "ui/passwords/PasswordPromptDialog.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <future>

#include <sys/stat.h>

using namespace zepla;

namespace {

// A save alert names the file once and gives one reason, without saying again that saving failed.
void verifySaveAlert(const QMessageBox& alert, const QString& name) {
    QCOMPARE(alert.text(), QStringLiteral("“%1” could not be saved.").arg(name));
    const QString reason = alert.informativeText();
    QVERIFY2(!reason.isEmpty(), "the alert gives no reason");
    QVERIFY2(!reason.contains("could not be saved"), qPrintable(reason));
}

} // namespace

class TestDocumentWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { usePrivatePreferences(); }
    void cleanup() { closeAlerts(); }

    void modifiedMarkerFollowsTheUndoHistory() {
        ShellFixture shell;
        app::DocumentWindow* window = openAndWait(shell, shell.write("a.pdf"));
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("a.pdf[*]"));
        QVERIFY(!window->isWindowModified());
        editTitle(*window, "Changed");
        QTRY_VERIFY(window->isWindowModified());
        window->undoManager().undo();
        QVERIFY(!window->isWindowModified());
        window->undoManager().redo();
        QVERIFY(window->isWindowModified());
    }

    void replacingThePdfByAnOperationMarksTheDocumentModified() {
        ShellFixture shell;
        app::DocumentWindow* window = openAndWait(shell, shell.write("a.pdf"));
        auto replacement = pdf::Document::open(fixtures::makeTextPdf(1));
        window->document().setPdfDocument(replacement.value());
        QVERIFY(window->isDocumentEdited());
    }

    // A note's text retyped is not in the undo history, yet the close prompt must not lose it.
    void editWithoutUndoMarksTheDocumentModified() {
        ShellFixture shell;
        app::DocumentWindow* window = openAndWait(shell, shell.write("a.pdf"));
        QVERIFY(!window->isDocumentEdited());
        window->document().announceEditWithoutUndo();
        QVERIFY(window->isDocumentEdited());
        QVERIFY(window->isWindowModified());
    }

    void saveWritesTheFileAndMakesTheDocumentClean() {
        ShellFixture shell;
        const QString path = shell.write("a.pdf");
        app::DocumentWindow* window = openAndWait(shell, path);
        editTitle(*window, "Saved Title");
        QTRY_VERIFY(window->isDocumentEdited());
        bool saved = false;
        window->save([&](bool ok) { saved = ok; });
        QTRY_VERIFY(saved);
        QVERIFY(!window->isWindowModified());
        auto reread = pdf::Document::openFile(path);
        QCOMPARE(reread.value()->infoValue("Title"), QStringLiteral("Saved Title"));
        // Undoing past the save makes it modified again.
        window->undoManager().undo();
        QVERIFY(window->isWindowModified());
    }

    // Annotation edits announce nothing; the document's revision still tells that the file may lack them.
    // The save's worker takes the document when it gets it, so the edit may or may not be in that file: the
    // document stays modified either way, and the next save holds it.
    void anEditMadeWhileSavingKeepsTheDocumentModified() {
        ShellFixture shell;
        const QString path = shell.write("a.pdf");
        app::DocumentWindow* window = openAndWait(shell, path);
        QVERIFY(window);
        editTitle(*window, "Saved Title");
        std::optional<bool> saved;
        window->save([&](bool ok) { saved = ok; });
        auto pdf = window->document().pdfDocument();
        auto note = pdf->createAnnotation(0,
                                          {{"Subtype", pdf::ObjectValue::name("Square")},
                                           {"Rect", pdf::ObjectValue::numbers({10, 10, 50, 50})}},
                                          {});
        QVERIFY(note.ok());
        window->undoManager().registerUndo(
            &window->document(), [pdf, handle = note.value()] { pdf->removeAnnotation(0, handle); });
        QTRY_VERIFY(saved.has_value());
        QVERIFY(*saved);
        QVERIFY(window->isWindowModified());
        saved.reset();
        window->save([&](bool ok) { saved = ok; });
        QTRY_VERIFY(saved.has_value());
        QVERIFY(*saved);
        QVERIFY(!window->isWindowModified());
        QCOMPARE(pdf::Document::openFile(path).value()->annotations(0).value().size(), size_t(1));
    }

    // A protected file whose startxref points astray, which MuPDF alone would write back unreadable: it
    // saves with its password, and the window is no longer modified. (A save that is refused replaces
    // nothing: see the damaged protected file below.)
    void aRepairableProtectedFileSavesWithItsPassword() {
        ShellFixture shell;
        const QString plain = shell.write("plain.pdf", fixtures::makeTextPdf(3));
        const QString path = shell.dir.filePath("protected.pdf");
        QProcess qpdf;
        qpdf.start("qpdf", {"--allow-weak-crypto", "--encrypt", "pw", "owner", "128", "--use-aes=n", "--",
                            plain, path});
        QVERIFY2(qpdf.waitForFinished(30000) && qpdf.exitCode() == 0,
                 "qpdf did not run (scripts/setup installs it)");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        // startxref three bytes short of the cross-reference table
        const qsizetype at = bytes.lastIndexOf("startxref\n") + 10;
        const QByteArray offset = bytes.mid(at, bytes.indexOf('\n', at) - at);
        bytes.replace(at, offset.size(), QByteArray::number(offset.toLongLong() - 3));
        file.resize(0);
        file.write(bytes);
        file.close();

        app::DocumentWindow* window = openAndWait(shell, path);
        QVERIFY(window);
        auto pdf = pdf::Document::openFile(path).value();
        QVERIFY(pdf->authenticate("pw"));
        window->document().setPdfDocument(pdf);
        QVERIFY(window->isDocumentEdited());
        std::optional<bool> saved;
        window->save([&](bool ok) { saved = ok; });
        QTRY_VERIFY(saved.has_value());
        QVERIFY(*saved);
        QVERIFY(!window->isWindowModified());
        auto reopened = pdf::Document::openFile(path).value();
        QVERIFY(reopened->isLocked());
        QVERIFY(reopened->authenticate("pw"));
        QCOMPARE(reopened->pageCount(), 3);
        QVERIFY(reopened->pageText(2).value().contains("Page 3"));
    }

    void saveToAnotherPathMovesTheWindowToThatFile() {
        ShellFixture shell;
        app::DocumentWindow* window = shell.controller().newDocument();
        QCOMPARE(window->windowTitle(), QStringLiteral("Untitled[*]"));
        const QString target = shell.dir.filePath("new.pdf");
        bool saved = false;
        window->saveTo(target, [&](bool ok) { saved = ok; });
        QTRY_VERIFY(saved);
        QCOMPARE(window->filePath(), target);
        QCOMPARE(window->windowTitle(), QStringLiteral("new.pdf[*]"));
        QCOMPARE(ui::RecentDocuments::paths().first(), target);
        QVERIFY(pdf::Document::openFile(target));
    }

    // The end of a save names the file in the recent files without the UI thread rewriting the preferences
    // file: with the writer held busy the list already has it and the file not; once the writes are waited
    // for, as at quit, the file read afresh (from a copy, as a new run would) has it first.
    void aSaveLeavesThePreferencesFileToTheBackgroundWriter() {
        ShellFixture shell;
        app::DocumentWindow* window = openAndWait(shell, shell.write("a.pdf"));
        QVERIFY(window);
        const QString preferences =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Zepla/Zepla.conf";
        const auto recentOnDisk = [&] {
            const QString copy = shell.dir.filePath("preferences-copy.conf");
            QFile::remove(copy);
            QFile::copy(preferences, copy);
            return QSettings(copy, QSettings::IniFormat)
                .value(ui::RecentDocuments::preferenceKey)
                .toStringList();
        };
        platform::BackgroundSettings::waitForWrites();
        std::promise<void> release;
        platform::BackgroundSettings::writer().enqueue(
            "elsewhere", [held = release.get_future().share()] { held.wait(); }, false);
        const QString target = shell.dir.filePath("copy.pdf");
        bool saved = false;
        window->saveTo(target, [&](bool ok) { saved = ok; });
        QTRY_VERIFY(saved);
        QCOMPARE(ui::RecentDocuments::paths().first(), target);
        QVERIFY(!recentOnDisk().contains(target));
        release.set_value();
        platform::BackgroundSettings::waitForWrites();
        QCOMPARE(recentOnDisk().value(0), target);
    }

    void saveToAPlaceThatCannotBeWrittenKeepsTheDocumentModified() {
        ShellFixture shell;
        const QString path = shell.write("a.pdf");
        app::DocumentWindow* window = openAndWait(shell, path);
        editTitle(*window, "Unsaved");
        QTRY_VERIFY(window->isDocumentEdited());
        std::optional<bool> saved;
        // Nobody may create files here, not even the administrator.
        window->saveTo("/proc/zepla-test.pdf", [&](bool ok) { saved = ok; });
        QTRY_VERIFY(saved.has_value());
        QVERIFY(!*saved);
        QVERIFY(window->isWindowModified());
        QCOMPARE(window->filePath(), path);
        QTRY_COMPARE(visibleAlerts().size(), 1);
        verifySaveAlert(*visibleAlerts().first(), "zepla-test.pdf");
    }

    void closePromptChoices_data() {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("fileChanges");
        QTest::newRow("Save") << "Save" << true << true;
        QTest::newRow("Don't Save") << "Don’t Save" << true << false;
        QTest::newRow("Cancel") << "Cancel" << false << false;
    }
    void closePromptChoices() {
        QFETCH(QString, choice);
        QFETCH(bool, closes);
        QFETCH(bool, fileChanges);
        ShellFixture shell;
        const QString path = shell.write("a.pdf");
        const QByteArray original = readTestFile(path);
        app::DocumentWindow* window = openAndWait(shell, path);
        QPointer<app::DocumentWindow> alive(window);
        editTitle(*window, "Edited");
        QTRY_VERIFY(window->isDocumentEdited());

        std::optional<bool> closed;
        window->requestClose([&](bool result) { closed = result; });
        QMessageBox* prompt = window->closePrompt();
        QVERIFY(prompt);
        QVERIFY(prompt->text().contains("a.pdf"));
        QVERIFY(alive->isVisible());
        QPushButton* button = nullptr;
        for (QAbstractButton* candidate : prompt->buttons())
            if (candidate->text() == choice)
                button = qobject_cast<QPushButton*>(candidate);
        QVERIFY(button);
        QCOMPARE(prompt->buttons().size(), 3);
        button->click();

        QTRY_VERIFY(closed.has_value());
        QCOMPARE(*closed, closes);
        QCOMPARE(shell.controller().documents().isEmpty(), closes);
        QCOMPARE(readTestFile(path) != original, fileChanges);
        if (!closes)
            QVERIFY(alive && alive->isVisible() && alive->isDocumentEdited());
    }

    void cleanDocumentClosesWithoutAsking() {
        ShellFixture shell;
        app::DocumentWindow* window = openAndWait(shell, shell.write("a.pdf"));
        std::optional<bool> closed;
        window->requestClose([&](bool result) { closed = result; });
        QCOMPARE(closed, std::optional<bool>(true));
    }

    // What was kept for a document goes with its window: its thumbnails, and the document itself once the
    // work under way lets it go. What other files keep stays.
    void closingGivesBackWhatWasKeptForTheDocument() {
        ShellFixture shell;
        app::DocumentWindow* window = openAndWait(shell, shell.write("a.pdf", fixtures::makeTextPdf(12)));
        QVERIFY(window);
        window->show();
        const std::weak_ptr<pdf::Document> gone = window->document().pdfDocument();
        const QString firstThumbnail = document::ThumbnailCache::key(*window->document().pdfDocument(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(document::ThumbnailCache::contains(firstThumbnail),
                                 testsupport::hangGuardMs);
        const QString otherFile = document::ThumbnailCache::recentKey(shell.dir.filePath("b.pdf"));
        document::ThumbnailCache::setObject(otherFile, QImage(4, 4, QImage::Format_RGB32));
        QPointer<app::DocumentWindow> closing = window;
        window->close();
        QTRY_VERIFY_WITH_TIMEOUT(!closing, testsupport::hangGuardMs);
        QVERIFY(!document::ThumbnailCache::contains(firstThumbnail));
        QVERIFY(document::ThumbnailCache::contains(otherFile));
        QTRY_VERIFY_WITH_TIMEOUT(gone.expired(), testsupport::hangGuardMs);
    }

    void quitStopsAtCancelAndKeepsTheWindows() {
        ShellFixture shell;
        app::DocumentWindow* edited = openAndWait(shell, shell.write("a.pdf"));
        QVERIFY(openAndWait(shell, shell.write("b.pdf")));
        editTitle(*edited, "Edited");
        QTRY_VERIFY(edited->isDocumentEdited());
        shell.controller().terminate();
        QTRY_VERIFY(edited->closePrompt());
        for (QAbstractButton* button : edited->closePrompt()->buttons())
            if (button->text() == "Cancel")
                button->click();
        QTRY_VERIFY(!shell.controller().isTerminating());
        QCOMPARE(shell.controller().documents().size(), 2);
    }

    void openingAFileThatIsOpenBringsItsWindowForward() {
        ShellFixture shell;
        const QString path = shell.write("a.pdf");
        app::DocumentWindow* window = openAndWait(shell, path);
        // Through another spelling of the same file.
        shell.controller().openDocument(shell.dir.path() + "/./a.pdf");
        QTest::qWait(100);
        QCOMPARE(shell.controller().documents().size(), 1);
        QCOMPARE(shell.controller().documents().first(), window);
    }

    void damagedFileIsNamedInAnAlertAndOtherWindowsStay() {
        ShellFixture shell;
        app::DocumentWindow* window = openAndWait(shell, shell.write("good.pdf"));
        editTitle(*window, "Keep me");
        shell.controller().openDocument(shell.write("damaged.pdf", "%PDF-1.7\nthis is not a PDF at all"));
        QTRY_COMPARE(visibleAlerts().size(), 1);
        QVERIFY(visibleAlerts().first()->text().contains("damaged.pdf"));
        QCOMPARE(shell.controller().documents().size(), 1);
        QVERIFY(window->isVisible() && window->isDocumentEdited());
    }

    // A name ending in .pdf that stands for no regular file (a device that never ends, a FIFO that never
    // answers, a folder) gets the alert of a file that is not a PDF, without anything being read.
    void whatIsNoRegularFileIsNotAPdf_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("/dev/zero") << "zero";
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("folder") << "folder";
    }

    void whatIsNoRegularFileIsNotAPdf() {
        QFETCH(QString, kind);
        ShellFixture shell;
        const QString path = shell.dir.filePath(kind + ".pdf");
        if (kind == "zero")
            QVERIFY(QFile::link("/dev/zero", path));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(QDir().mkdir(path));
        shell.controller().openDocument(path);
        QTRY_COMPARE(visibleAlerts().size(), 1);
        QCOMPARE(visibleAlerts().first()->text(),
                 QStringLiteral("The document “%1.pdf” could not be opened.").arg(kind));
        QCOMPARE(visibleAlerts().first()->informativeText(),
                 QStringLiteral(
                     "The file could not be opened because it is not a PDF document or it is damaged."));
        QVERIFY(shell.controller().documents().isEmpty());
    }

    // An open that takes longer than a second says so in a window of its own, which goes with the open.
    void aLongOpenShowsItsProgress() {
        QWidget parent;
        auto progress = std::make_unique<app::OpenProgress>("Large.pdf", &parent);
        QWidget* window = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((window = parent.findChild<QWidget*>("openProgress")) && window->isVisible(),
                                 10000);
        QCOMPARE(window->findChild<QLabel*>()->text(), QStringLiteral("Opening “Large.pdf”…"));
        QPointer<QWidget> gone = window;
        progress.reset();
        QVERIFY(gone.isNull());
    }

    // A protected file that lost the trailer holding its file identifier cannot be opened with its password:
    // it opens with an alert and is never written over, whatever the user does. Its pages are ciphertext
    // nothing decrypts any more, so no alert points to an unprotected copy, and that command refuses it.
    void damagedProtectedFileOpensWithAnAlertAndIsNeverSavedOver() {
        ShellFixture shell;
        const QString plain = shell.write("plain.pdf", fixtures::makeTextPdf(40, "guarded"));
        const QString encrypted = shell.dir.path() + "/encrypted.pdf";
        QCOMPARE(QProcess::execute("qpdf", {"--allow-weak-crypto", "--encrypt", "pw", "owner", "128",
                                            "--use-aes=y", "--", plain, encrypted}),
                 0);
        QFile file(encrypted);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray damaged = file.readAll().chopped(500); // the trailer and some of the table
        const QString path = shell.write("Report.pdf", damaged);
        app::DocumentWindow* window = openAndWait(shell, path);
        QVERIFY(window);
        QTRY_COMPARE(visibleAlerts().size(), 1);
        QVERIFY(visibleAlerts().first()->text().contains("Report.pdf"));
        QVERIFY(visibleAlerts().first()->informativeText().contains("file identifier"));
        QVERIFY(visibleAlerts().first()->informativeText().contains("cannot be saved over"));
        QVERIFY(!visibleAlerts().first()->informativeText().contains("Remove Password"));
        QVERIFY(window->document().wasPasswordProtected());
        closeAlerts();

        editTitle(*window, "Changed");
        bool finished = false, saved = true;
        window->save([&](bool ok) {
            finished = true;
            saved = ok;
        });
        QTRY_VERIFY(finished);
        QVERIFY(!saved);
        QVERIFY(window->isWindowModified());
        QTRY_COMPARE(visibleAlerts().size(), 1);
        verifySaveAlert(*visibleAlerts().first(), "Report.pdf");
        QVERIFY(visibleAlerts().first()->informativeText().contains("cannot be saved over"));
        QVERIFY(!visibleAlerts().first()->informativeText().contains("Remove Password"));
        closeAlerts();
        QFile after(path);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QVERIFY(after.readAll() == damaged);

        // Save As to a new name: nothing is written, and the alert says why.
        const QString copy = shell.dir.path() + "/Copy.pdf";
        std::optional<bool> savedAs;
        window->saveTo(copy, [&](bool ok) { savedAs = ok; });
        QTRY_VERIFY(savedAs.has_value());
        QVERIFY(!*savedAs);
        QTRY_COMPARE(visibleAlerts().size(), 1);
        verifySaveAlert(*visibleAlerts().first(), "Copy.pdf");
        QCOMPARE(visibleAlerts().first()->informativeText(),
                 QStringLiteral("The protected document is damaged and no password can decrypt its pages, so "
                                "it cannot be saved."));
        QVERIFY(!QFile::exists(copy));
        closeAlerts();

        // The unprotected copy is refused with its reason, and nothing is written.
        const QString unlocked = shell.dir.path() + "/Report (Unlocked).pdf";
        const auto outcome =
            document::PasswordCopies::removePassword(*window->document().pdfDocument(), unlocked);
        QCOMPARE(outcome.title, QStringLiteral("Couldn't Save"));
        QVERIFY2(outcome.message.contains("cannot be decrypted or decoded"), qPrintable(outcome.message));
        QVERIFY(!QFile::exists(unlocked));
    }

    // A repaired file whose pages' content does not decode (an AES-256 file that lost its encryption
    // dictionary with its tail) opens read-only: Ctrl+S leaves it byte for byte, Save As to another file
    // writes.
    void undecodableContentIsNeverSavedOver() {
        ShellFixture shell;
        const QString plain = shell.write("plain.pdf", fixtures::makeTextPdf(2, "guarded"));
        const QString encrypted = shell.dir.path() + "/encrypted.pdf";
        QCOMPARE(QProcess::execute("qpdf", {"--encrypt", "pw", "pw", "256", "--", plain, encrypted}), 0);
        QFile file(encrypted);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray whole = file.readAll();
        // qpdf writes the encryption dictionary after the pages: cut there, the pages stay whole.
        const QByteArray damaged = whole.left(
            whole.lastIndexOf('\n', whole.lastIndexOf(" obj", whole.lastIndexOf("/Standard"))) + 1);
        const QString path = shell.write("Report.pdf", damaged);
        app::DocumentWindow* window = openAndWait(shell, path);
        QVERIFY(window);
        QTRY_COMPARE(visibleAlerts().size(), 1);
        QVERIFY(visibleAlerts().first()->text().contains("Report.pdf"));
        QVERIFY(visibleAlerts().first()->informativeText().contains("content cannot be read"));
        closeAlerts();

        std::optional<bool> saved;
        window->save([&](bool ok) { saved = ok; });
        QTRY_VERIFY(saved.has_value());
        QVERIFY(!*saved);
        QTRY_COMPARE(visibleAlerts().size(), 1);
        verifySaveAlert(*visibleAlerts().first(), "Report.pdf");
        QVERIFY(visibleAlerts().first()->informativeText().contains("cannot be saved over"));
        closeAlerts();
        QFile after(path);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QVERIFY(after.readAll() == damaged);

        const QString copy = shell.dir.path() + "/Copy.pdf";
        saved.reset();
        window->saveTo(copy, [&](bool ok) { saved = ok; });
        QTRY_VERIFY(saved.has_value());
        QVERIFY(*saved);
        QVERIFY(QFile::exists(copy));
    }

    // A page that cannot be read keeps its place, blank, and the window says how many there are.
    void unreadablePageIsCountedInAnAlert() {
        ShellFixture shell;
        const QByteArray page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 200] ";
        const QByteArray bytes = fixtures::assemblePdf(
            {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>",
             page + ">>", page + "/Junk " + QByteArray(50000, '[') + QByteArray(50000, ']') + " >>",
             page + ">>"});
        app::DocumentWindow* window = openAndWait(shell, shell.write("Nested.pdf", bytes));
        QVERIFY(window);
        QTRY_COMPARE(visibleAlerts().size(), 1);
        QVERIFY(visibleAlerts().first()->text().contains("Nested.pdf"));
        QCOMPARE(visibleAlerts().first()->informativeText(),
                 QStringLiteral("1 page could not be read. It is shown blank in its place."));
        QCOMPARE(window->document().pdfDocument()->pageCount(), 3);
    }

    void fileWithoutReadablePagesGivesTheDamagedAlertAndNoRecentEntry_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray whole = fixtures::makeTextPdf(3);
        QTest::newRow("empty") << QByteArray();
        // Cut off after the catalog: the page tree never arrives, as in the first kilobytes of a manual.
        QTest::newRow("truncated") << whole.left(whole.indexOf("endobj") + 6);
        QTest::newRow("zero pages") << fixtures::makePdf({});
    }

    void fileWithoutReadablePagesGivesTheDamagedAlertAndNoRecentEntry() {
        QFETCH(QByteArray, bytes);
        ShellFixture shell;
        ui::RecentDocuments::clear();
        const QString path = shell.write("manual.pdf", bytes);
        shell.controller().openDocument(path);
        QTRY_COMPARE(visibleAlerts().size(), 1);
        QVERIFY(visibleAlerts().first()->text().contains("manual.pdf"));
        QVERIFY(visibleAlerts().first()->informativeText().contains("damaged"));
        QVERIFY(shell.controller().documents().isEmpty());
        QVERIFY(ui::RecentDocuments::paths().isEmpty());
    }

    void vanishedRecentFileLeavesTheListWhenOpened() {
        ShellFixture shell;
        const QString path = shell.write("gone.pdf");
        ui::RecentDocuments::note(path);
        QFile::remove(path);
        shell.controller().openDocument(path);
        QTRY_COMPARE(visibleAlerts().size(), 1);
        QVERIFY(visibleAlerts().first()->text().contains("gone.pdf"));
        QVERIFY(!ui::RecentDocuments::paths().contains(path));
    }

    void openInPlaceReplacesTheEmptyDocument() {
        ShellFixture shell;
        app::DocumentWindow* window = shell.controller().newDocument();
        QSignalSpy replaced(window, &app::DocumentWindow::documentReplaced);
        const QString path = shell.write("into.pdf");
        window->openInPlace(path);
        QTRY_COMPARE(replaced.count(), 1);
        QCOMPARE(window->filePath(), path);
        QCOMPARE(window->document().pdfDocument()->pageCount(), 2);
        QVERIFY(!window->isDocumentEdited());
        QCOMPARE(window->windowTitle(), QStringLiteral("into.pdf[*]"));

        // A damaged file changes nothing but says so.
        app::DocumentWindow* empty = shell.controller().newDocument();
        empty->openInPlace(shell.write("bad.pdf", "nothing"));
        QTRY_COMPARE(visibleAlerts().size(), 1);
        QVERIFY(empty->filePath().isEmpty());
        QCOMPARE(empty->document().pdfDocument()->pageCount(), 0);
    }

    // A locked file asks for its password before it goes into the window: cancelled, nothing changes; a
    // wrong password asks again; the right one opens it, remembered as protected.
    void openInPlaceOfALockedFileAsksForItsPasswordFirst() {
        ShellFixture shell;
        const QString path = shell.write("locked.pdf", testsupport::encryptedPdf("secret"));
        app::DocumentWindow* window = shell.controller().newDocument();
        // Answers each prompt as it appears with the next password (a null text cancels).
        QStringList answers;
        int answered = 0;
        QTimer answering;
        QObject::connect(&answering, &QTimer::timeout, [&] {
            auto* prompt = qobject_cast<ui::PasswordPromptDialog*>(QApplication::activeModalWidget());
            if (!prompt || !prompt->isVisible() || answers.isEmpty())
                return;
            const QString text = answers.takeFirst();
            ++answered;
            if (text.isNull())
                return prompt->reject();
            prompt->field()->setText(text);
            prompt->accept();
        });
        answering.start(20);
        const auto answer = [&](const QStringList& passwords) { answers = passwords; };
        answer({QString()});
        window->openInPlace(path);
        QTRY_COMPARE_WITH_TIMEOUT(answered, 1, testsupport::hangGuardMs);
        QCOMPARE(window->document().pdfDocument()->pageCount(), 0);
        QVERIFY(window->filePath().isEmpty());

        QSignalSpy replaced(window, &app::DocumentWindow::documentReplaced);
        answer({"wrong", "secret"});
        window->openInPlace(path);
        QTRY_COMPARE_WITH_TIMEOUT(replaced.count(), 1, testsupport::hangGuardMs);
        QCOMPARE(answered, 3);
        QVERIFY(!window->document().pdfDocument()->isLocked());
        QVERIFY(window->document().wasPasswordProtected());
        QCOMPARE(window->filePath(), path);
    }
};

QTEST_MAIN(TestDocumentWindow)
#include "test_document_window.moc"
