// Unlocking with typed passwords, and the protected and unprotected copies as other programs see them.
#include "PdfFixtures.h"
#include "document/passwords/PDFUnlocker.h"
#include "document/passwords/PasswordCopies.h"
#include "pdf/PdfDocument.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;
using namespace zepla::document;

namespace {

std::shared_ptr<pdf::Document> encrypted(const QString& password, int pages = 3) {
    auto plain = pdf::Document::open(fixtures::makeTextPdf(pages)).value();
    pdf::SaveOptions options;
    options.encryption = pdf::SaveOptions::Encryption::Aes256;
    options.userPassword = options.ownerPassword = password;
    return pdf::Document::open(plain->save(options).value()).value();
}

// What `qpdf --requires-password` answers: 0 when the file needs a password, 2 when it is not encrypted.
int qpdfRequiresPassword(const QString& path) {
    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--requires-password"), path});
    qpdf.waitForFinished();
    return qpdf.exitCode();
}

} // namespace

class TestDocumentPasswords : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void anOpenDocumentAsksNothing() {
        auto plain = pdf::Document::open(fixtures::makeTextPdf(1)).value();
        int asked = 0;
        QVERIFY(PDFUnlocker::promptAndUnlock(*plain, [&](bool) {
            ++asked;
            return std::optional<QString>();
        }));
        QCOMPARE(asked, 0);
    }

    void asksUntilTheRightPassword() {
        auto locked = encrypted("open sesame");
        QList<bool> flags;
        QStringList answers{"wrong", "", "still wrong", "open sesame"};
        const bool unlocked = PDFUnlocker::promptAndUnlock(*locked, [&](bool afterWrong) {
            flags << afterWrong;
            return std::optional<QString>(answers.takeFirst());
        });
        QVERIFY(unlocked);
        QVERIFY(!locked->isLocked());
        QCOMPARE(flags, QList<bool>({false, true, true, true}));
        QCOMPARE(locked->pageCount(), 3);
    }

    void cancellingLeavesItLocked() {
        auto locked = encrypted("secret");
        int asked = 0;
        const bool unlocked = PDFUnlocker::promptAndUnlock(*locked, [&](bool) -> std::optional<QString> {
            if (++asked < 3)
                return QStringLiteral("nope");
            return std::nullopt;
        });
        QVERIFY(!unlocked);
        QVERIFY(locked->isLocked());
        QCOMPARE(asked, 3);
    }

    void copyNames_data() {
        QTest::addColumn<QString>("filePath");
        QTest::addColumn<QString>("protectedName");
        QTest::addColumn<QString>("unlockedName");
        QTest::newRow("report") << "/home/u/Report.pdf"
                                << "Report (Protected).pdf"
                                << "Report (Unlocked).pdf";
        QTest::newRow("dots") << "/tmp/My.Notes.v2.pdf"
                              << "My.Notes.v2 (Protected).pdf"
                              << "My.Notes.v2 (Unlocked).pdf";
        QTest::newRow("no file") << ""
                                 << "Document (Protected).pdf"
                                 << "Document (Unlocked).pdf";
    }
    void copyNames() {
        QFETCH(QString, filePath);
        QFETCH(QString, protectedName);
        QFETCH(QString, unlockedName);
        const QString base = PasswordCopies::baseName(filePath);
        QCOMPARE(PasswordCopies::protectedCopyName(base), protectedName);
        QCOMPARE(PasswordCopies::unlockedCopyName(base), unlockedName);
    }

    void theProtectedCopyNeedsItsPassword() {
        fixtures::DocSpec spec;
        spec.pages = {fixtures::PageSpec{"One"}, fixtures::PageSpec{"Two"}};
        spec.pages[1].withNote = true;
        auto open = pdf::Document::open(fixtures::makePdf(spec)).value();
        QTemporaryDir dir;
        const QString path = dir.filePath("Report (Protected).pdf");
        QVERIFY(PasswordCopies::writeProtectedCopy(*open, path, "p4ss").ok());
        QCOMPARE(qpdfRequiresPassword(path), 0);
        auto copy = pdf::Document::openFile(path).value();
        QVERIFY(copy->isLocked());
        QVERIFY(!copy->authenticate("P4SS"));
        QVERIFY(copy->authenticate("p4ss"));
        QCOMPARE(copy->pageCount(), 2);
        QCOMPARE(copy->annotations(1).value().size(), size_t(1));
        // The open document is not encrypted by writing the copy: its next save is as plain as before.
        QVERIFY(!open->isEncrypted());
        auto saved = pdf::Document::open(open->save().value()).value();
        QVERIFY(!saved->isLocked());
        QCOMPARE(saved->pageText(0).value().trimmed(), QString("One"));
    }

    void theUnlockedCopyOpensWithoutAPassword() {
        auto locked = encrypted("secret", 4);
        QVERIFY(locked->authenticate("secret"));
        QTemporaryDir dir;
        const QString path = dir.filePath("Report (Unlocked).pdf");
        const PasswordCopies::Outcome outcome = PasswordCopies::removePassword(*locked, path);
        QCOMPARE(outcome.title, QString("Password Removed"));
        QCOMPARE(outcome.message, QString("Saved an unprotected copy to Report (Unlocked).pdf."));
        QCOMPARE(qpdfRequiresPassword(path), 2);
        auto copy = pdf::Document::openFile(path).value();
        QVERIFY(!copy->isLocked());
        QCOMPARE(copy->pageCount(), 4);
        QCOMPARE(copy->pageText(3).value().trimmed(), QString("Page 4"));
        // The open document keeps its protection: its next save still needs the password.
        QVERIFY(locked->isEncrypted());
        auto saved = pdf::Document::open(locked->save().value()).value();
        QVERIFY(saved->isLocked());
        QVERIFY(saved->authenticate("secret"));
        QCOMPARE(saved->pageText(3).value().trimmed(), QString("Page 4"));
    }

    void aCopyThatCannotBeWrittenSaysSo() {
        auto open = pdf::Document::open(fixtures::makeTextPdf(1)).value();
        const QString nowhere = "/nonexistent-folder/for/sure/Copy.pdf";
        const PasswordCopies::Outcome outcome = PasswordCopies::removePassword(*open, nowhere);
        QCOMPARE(outcome.title, QString("Couldn't Save"));
        QCOMPARE(outcome.message, QString("The unlocked copy couldn't be written to that location."));
        QVERIFY(!PasswordCopies::writeProtectedCopy(*open, nowhere, "x").ok());
        QVERIFY(!QFile::exists(nowhere));
    }
};

QTEST_GUILESS_MAIN(TestDocumentPasswords)
#include "test_document_passwords.moc"
