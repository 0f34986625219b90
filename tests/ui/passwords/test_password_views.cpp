// The password views with real encrypted files: the unlock view (wrong, then right), the set-password
// sheet's rules and what it writes, and the modal prompt.
#include "../support/EditorDocuments.h"
#include "PdfFixtures.h"
#include "document/PDFEditorDocument.h"
#include "document/passwords/PDFUnlocker.h"
#include "ui/passwords/PasswordPromptDialog.h"
#include "ui/passwords/SetPasswordSheet.h"
#include "ui/passwords/UnlockDocumentView.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace zepla;
using namespace zepla::ui;

namespace {

std::unique_ptr<document::PDFEditorDocument> lockedDocument(const QString& password) {
    return testsupport::editorDocument(testsupport::encryptedPdf(password, 2));
}

// Answers the next modal dialog: types `text` into its field and presses `button`.
void answerNextPrompt(const QString& text, const QString& button) {
    QTimer::singleShot(0, [text, button] {
        auto* dialog = qobject_cast<PasswordPromptDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->field()->echoMode(), QLineEdit::Password);
        QTest::keyClicks(dialog->field(), text);
        for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
            if (b->text() == button)
                b->click();
        }
    });
}

} // namespace

class TestPasswordViews : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void unlockViewSaysWhenThePasswordIsWrong() {
        auto document = lockedDocument("hunter2");
        QVERIFY(document->pdfDocument()->isLocked());
        UnlockDocumentView view(*document);
        view.show();
        QSignalSpy changed(document.get(), &document::PDFEditorDocument::changed);
        QCOMPARE(view.passwordField()->echoMode(), QLineEdit::Password);
        QVERIFY(!view.unlockButton()->isEnabled());

        QTest::keyClicks(view.passwordField(), "hunter3");
        QVERIFY(view.unlockButton()->isEnabled());
        QTest::mouseClick(view.unlockButton(), Qt::LeftButton);
        QVERIFY(view.wrongPassword());
        QVERIFY(view.findChild<QLabel*>() != nullptr);
        QLabel* wrong = nullptr;
        for (QLabel* label : view.findChildren<QLabel*>())
            if (label->isVisible() && label->text() == "That password didn't work.")
                wrong = label;
        QVERIFY(wrong);
        // The whole line shows, nothing of it clipped.
        QTRY_VERIFY(wrong->height() >= wrong->heightForWidth(wrong->width()));
        QVERIFY(wrong->width() >= wrong->fontMetrics().horizontalAdvance(wrong->text()));
        QCOMPARE(view.passwordField()->text(), QString("hunter3"));
        QVERIFY(document->pdfDocument()->isLocked());
        QCOMPARE(changed.size(), 0);

        view.passwordField()->clear();
        QTest::keyClicks(view.passwordField(), "hunter2");
        QTest::keyClick(view.passwordField(), Qt::Key_Return);
        QVERIFY(!document->pdfDocument()->isLocked());
        QCOMPARE(changed.size(), 1);
        QVERIFY(document->wasPasswordProtected());
    }

    void returnInAnEmptyFieldTriesTheEmptyPassword() {
        auto document = lockedDocument("x");
        UnlockDocumentView view(*document);
        QTest::keyClick(view.passwordField(), Qt::Key_Return);
        QVERIFY(view.wrongPassword());
        QVERIFY(document->pdfDocument()->isLocked());
    }

    void sheetSavesOnlyMatchingPasswords_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("confirmation");
        QTest::addColumn<bool>("canSave");
        QTest::addColumn<QString>("message");
        QTest::newRow("both empty") << ""
                                    << "" << false << "";
        QTest::newRow("only first") << "abc"
                                    << "" << false << "";
        QTest::newRow("only second") << ""
                                     << "abc" << false << "Passwords don't match.";
        QTest::newRow("differ") << "abc"
                                << "abd" << false << "Passwords don't match.";
        QTest::newRow("case differs") << "abc"
                                      << "ABC" << false << "Passwords don't match.";
        QTest::newRow("same") << "abc"
                              << "abc" << true << "";
    }
    void sheetSavesOnlyMatchingPasswords() {
        QFETCH(QString, password);
        QFETCH(QString, confirmation);
        QFETCH(bool, canSave);
        QFETCH(QString, message);
        SetPasswordSheet sheet(pdf::Document::open(fixtures::makeTextPdf(1)).value(), "Report");
        QCOMPARE(sheet.windowModality(), Qt::WindowModal);
        QCOMPARE(sheet.passwordField()->echoMode(), QLineEdit::Password);
        QCOMPARE(sheet.confirmField()->echoMode(), QLineEdit::Password);
        QTest::keyClicks(sheet.passwordField(), password);
        QTest::keyClicks(sheet.confirmField(), confirmation);
        QCOMPARE(sheet.canSave(), canSave);
        QCOMPARE(sheet.saveButton()->isEnabled(), canSave);
        QCOMPARE(sheet.messageLabel()->text().isEmpty() ? QString() : sheet.messageLabel()->text(), message);
    }

    // Every wrapped line of the sheet's texts is shown whole, above the first field, also once the sheet
    // says the passwords don't match.
    void sheetShowsItsWholeExplanation() {
        SetPasswordSheet sheet(pdf::Document::open(fixtures::makeTextPdf(1)).value(), "Report");
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        auto* explanation = sheet.findChild<QLabel*>("explanation");
        QVERIFY(explanation);
        QVERIFY(explanation->text().startsWith("Anyone opening the saved copy"));
        QVERIFY(explanation->heightForWidth(explanation->width()) > explanation->fontMetrics().lineSpacing());
        for (const bool mismatch : {false, true}) {
            if (mismatch) {
                QTest::keyClicks(sheet.passwordField(), "one");
                QTest::keyClicks(sheet.confirmField(), "two");
                QTRY_VERIFY(sheet.messageLabel()->isVisible());
                QApplication::processEvents();
            }
            for (const QLabel* label : sheet.findChildren<QLabel*>())
                if (label->isVisible() && label->wordWrap())
                    QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                             qPrintable(label->text()));
            QVERIFY(explanation->geometry().bottom() < sheet.passwordField()->geometry().top());
        }
    }

    void sheetWritesAProtectedCopy() {
        auto open = pdf::Document::open(fixtures::makeTextPdf(3)).value();
        SetPasswordSheet sheet(open, "Report");
        QTemporaryDir dir;
        QStringList proposed;
        QString answer; // the panel is cancelled first
        sheet.setSavePanel([&](const QString& name) {
            proposed << name;
            return answer;
        });
        sheet.show();
        QTest::keyClicks(sheet.passwordField(), "s3cret");
        QTest::keyClicks(sheet.confirmField(), "s3cret");
        QTest::mouseClick(sheet.saveButton(), Qt::LeftButton);
        QCOMPARE(proposed, QStringList{"Report (Protected).pdf"});
        QVERIFY(sheet.isVisible());
        QCOMPARE(dir.isValid(), true);
        QVERIFY(QDir(dir.path()).isEmpty());

        answer = "/nonexistent-folder/Report (Protected).pdf";
        QTest::mouseClick(sheet.saveButton(), Qt::LeftButton);
        QVERIFY(sheet.isVisible());
        QCOMPARE(sheet.messageLabel()->text(),
                 QString("Couldn't write the encrypted copy to that location."));
        QCOMPARE(sheet.passwordField()->text(), QString("s3cret"));

        answer = dir.filePath("Report (Protected).pdf");
        QTest::mouseClick(sheet.saveButton(), Qt::LeftButton);
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QVERIFY(!sheet.isVisible());
        QProcess qpdf;
        qpdf.start("qpdf", {"--requires-password", answer});
        qpdf.waitForFinished();
        QCOMPARE(qpdf.exitCode(), 0);
        auto copy = pdf::Document::openFile(answer).value();
        QVERIFY(copy->authenticate("s3cret"));
        QCOMPARE(copy->pageCount(), 3);
        QVERIFY(!open->isEncrypted());
    }

    void promptAsksAgainAfterAWrongPassword() {
        auto document = lockedDocument("right");
        answerNextPrompt("wrong", "Unlock");
        int prompts = 0;
        bool sawWrongNote = false;
        const bool unlocked =
            document::PDFUnlocker::promptAndUnlock(*document->pdfDocument(), [&](bool afterWrong) {
                ++prompts;
                if (afterWrong) {
                    QTimer::singleShot(0, [&] {
                        for (QLabel* l : QApplication::activeModalWidget()->findChildren<QLabel*>())
                            sawWrongNote |= l->text() == "That password didn't work.";
                    });
                    answerNextPrompt("right", "Unlock");
                }
                return PasswordPromptDialog::ask(nullptr, afterWrong);
            });
        QVERIFY(unlocked);
        QCOMPARE(prompts, 2);
        QVERIFY(sawWrongNote);
        QVERIFY(!document->pdfDocument()->isLocked());
    }

    void cancellingThePromptLeavesTheDocumentLocked() {
        auto document = lockedDocument("right");
        answerNextPrompt("typed", "Cancel");
        const bool unlocked =
            document::PDFUnlocker::promptAndUnlock(*document->pdfDocument(), [](bool afterWrong) {
                return PasswordPromptDialog::ask(nullptr, afterWrong);
            });
        QVERIFY(!unlocked);
        QVERIFY(document->pdfDocument()->isLocked());
    }
};

QTEST_MAIN(TestPasswordViews)
#include "test_password_views.moc"
