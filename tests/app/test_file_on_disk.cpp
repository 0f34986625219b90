// The file on disk is the one the window opened: another program's change or deletion is noticed and shown
// with the user's edits kept, our own saves are not taken for one, and a save over a changed file waits for
// the user's answer (Overwrite, Save As…, Cancel).
#include "LandingTestSupport.h"
#include "ShellFixture.h"

#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

using namespace zepla;

namespace {

const QByteArray theirs = fixtures::makeTextPdf(1);

// Another program's atomic save: a new file renamed over the old one.
void replaceOnDisk(const QString& path, const QByteArray& bytes) {
    const QString other = path + ".other";
    QFile file(other);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    QCOMPARE(std::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()), 0);
}

QMessageBox* changedOnDiskPrompt() {
    for (QMessageBox* box : visibleAlerts())
        if (box->objectName() == "changedOnDiskPrompt")
            return box;
    return nullptr;
}

QString titleOf(const QString& path) {
    auto pdf = pdf::Document::openFile(path);
    return pdf ? pdf.value()->infoValue("Title") : QStringLiteral("(unreadable)");
}

void pressSave(app::DocumentWindow& window) {
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
}

} // namespace

class TestFileOnDisk : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { usePrivatePreferences(); }
    void cleanup() { closeAlerts(); }

    void theWindowSaysWhatBecameOfItsFile_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("notice");
        QTest::newRow("our own save") << "save" << QString();
        QTest::newRow("replaced") << "replace"
                                  << "“a.pdf” was changed by another application.";
        QTest::newRow("rewritten in place") << "rewrite"
                                            << "“a.pdf” was changed by another application.";
        QTest::newRow("deleted") << "delete"
                                 << "“a.pdf” was deleted or moved by another application.";
    }
    void theWindowSaysWhatBecameOfItsFile() {
        QFETCH(QString, change);
        QFETCH(QString, notice);
        ShellFixture shell;
        const QString path = shell.write("a.pdf");
        app::DocumentWindow* window = openAndWait(shell, path);
        QVERIFY(window);
        QCOMPARE(window->fileNotice(), QString());
        editTitle(*window, "Edited");
        if (change == "save") {
            std::optional<bool> saved;
            window->save([&](bool ok) { saved = ok; });
            QTRY_VERIFY(saved.has_value());
            QVERIFY(*saved);
            editTitle(*window, "Edited again");
        } else if (change == "replace") {
            replaceOnDisk(path, theirs);
        } else if (change == "rewrite") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(theirs);
        } else {
            QVERIFY(QFile::remove(path));
        }
        if (notice.isEmpty()) {
            // The watch's events for our own write come and go without a word.
            QTest::qWait(500);
            QCOMPARE(window->fileNotice(), QString());
        } else {
            QTRY_VERIFY(window->fileNotice().startsWith(notice));
        }
        // The user's edits stay as they were.
        QVERIFY(window->isDocumentEdited());
        QVERIFY(window->document().pdfDocument()->infoValue("Title").startsWith("Edited"));
    }

    void aSaveOverAChangedFileWaitsForTheAnswer_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("titleOnDisk"); // the file's title after the answer
        QTest::addColumn<bool>("saved");
        QTest::newRow("Cancel") << "Cancel" << QString() << false;
        QTest::newRow("Overwrite") << "Overwrite"
                                   << "Ours" << true;
        QTest::newRow("Save As…, then no file chosen") << "Save As…" << QString() << false;
    }
    void aSaveOverAChangedFileWaitsForTheAnswer() {
        QFETCH(QString, answer);
        QFETCH(QString, titleOnDisk);
        QFETCH(bool, saved);
        ShellFixture shell;
        const QString path = shell.write("a.pdf");
        app::DocumentWindow* window = openAndWait(shell, path);
        QVERIFY(window);
        editTitle(*window, "Ours");
        replaceOnDisk(path, theirs);
        QTRY_VERIFY(!window->fileNotice().isEmpty());

        pressSave(*window);
        QTRY_VERIFY(changedOnDiskPrompt());
        QMessageBox* prompt = changedOnDiskPrompt();
        QCOMPARE(prompt->text(), QStringLiteral("“a.pdf” was changed by another application."));
        QStringList buttons;
        for (QAbstractButton* button : prompt->buttons())
            buttons << button->text();
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"Cancel", "Overwrite", "Save As…"}));
        // The short explanation reads on one line, not in a narrow column.
        const auto* explanation = prompt->findChild<QLabel*>("qt_msgbox_informativelabel");
        QVERIFY(explanation);
        QVERIFY(explanation->width() >= explanation->fontMetrics().horizontalAdvance(explanation->text()));
        // Until the user answers, the file stays the other program's.
        QTest::qWait(300);
        QCOMPARE(readTestFile(path), theirs);
        QVERIFY(window->isSaving());

        // The Save As dialog, when it comes, is dismissed: the user chose nothing, so nothing is written.
        bool dialogShown = false;
        QTimer answering;
        QObject::connect(&answering, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QFileDialog*>(widget);
                if (dialogShown || !dialog || !dialog->isVisible())
                    continue;
                dialogShown = true;
                answering.stop();
                dialog->reject();
            }
        });
        answering.start(20);
        for (QAbstractButton* button : prompt->buttons())
            if (button->text() == answer)
                button->click();
        QTRY_VERIFY(!window->isSaving());
        QCOMPARE(dialogShown, answer == "Save As…");
        QCOMPARE(window->isDocumentEdited(), !saved);
        if (titleOnDisk.isEmpty())
            QCOMPARE(readTestFile(path), theirs);
        else
            QCOMPARE(titleOf(path), titleOnDisk);
        QCOMPARE(window->filePath(), path);
        // Once the window's file is ours again, it has nothing to say about it; Cancel leaves the notice.
        QCOMPARE(window->fileNotice().isEmpty(), saved);
    }
};

QTEST_MAIN(TestFileOnDisk)
#include "test_file_on_disk.moc"
