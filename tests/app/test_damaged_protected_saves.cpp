// Damaged protected files through the document window, as a user meets them: each is opened, unlocked with
// its password where it asks for one, edited and saved with Ctrl+S. Whatever the damage, the save either
// writes a copy that other readers open with the password, every page and its text and the same encryption,
// or is refused with an alert and the file left byte for byte; where the protection is what the damage took,
// the alert names the unprotected copy where that copy can hold the pages, and that copy is refused where it
// cannot.
#include "ExternalTool.h"
#include "ShellFixture.h"
#include "document/passwords/PasswordCopies.h"
#include "ui/passwords/UnlockDocumentView.h"
#include "ui/window/ContentView.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

using namespace zepla;

namespace {

constexpr int kPages = 3;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray shiftStartxref(QByteArray bytes, qint64 shift, bool toZero) {
    const qsizetype at = bytes.lastIndexOf("startxref\n") + 10;
    const qsizetype end = bytes.indexOf('\n', at);
    const qint64 value = toZero ? 0 : bytes.mid(at, end - at).toLongLong() + shift;
    return bytes.replace(at, end - at, QByteArray::number(value));
}

// qpdf's account of a file's encryption: revision, permissions and methods.
QStringList encryptionOf(const QString& path) {
    const QByteArray shown = runTool("qpdf", {"--show-encryption", "--password=pw", path}).out;
    return QString::fromUtf8(shown).split('\n').filter(QRegularExpression("^[RP] = |method"));
}

} // namespace

class TestDamagedProtectedSaves : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { usePrivatePreferences(); }
    void cleanup() { closeAlerts(); }

    void savedWholeOrRefusedUntouched_data() {
        QTest::addColumn<QStringList>("method");
        QTest::addColumn<bool>("objectStreams");
        QTest::addColumn<QString>("damage");
        const std::pair<const char*, QStringList> methods[] = {
            {"RC4 128", {"128", "--use-aes=n"}}, {"AES 128", {"128", "--use-aes=y"}}, {"AES 256", {"256"}}};
        for (const auto& [name, method] : methods)
            for (bool objectStreams : {false, true})
                for (const char* damage :
                     {"cut 30", "cut 100", "cut 300", "cut 1000", "startxref +1", "startxref +10",
                      "startxref -10", "startxref -100", "startxref 0", "startxref huge", "broken /Encrypt"})
                    QTest::addRow("%s%s, %s", name, objectStreams ? ", object streams" : "", damage)
                        << method << objectStreams << QString(damage);
    }

    void savedWholeOrRefusedUntouched() {
        QFETCH(QStringList, method);
        QFETCH(bool, objectStreams);
        QFETCH(QString, damage);
        ShellFixture shell;
        const QString plain = shell.write("plain.pdf", fixtures::makeTextPdf(kPages, "guarded"));
        const QString good = shell.dir.filePath("good.pdf");
        QCOMPARE(runTool("qpdf",
                         QStringList{"--allow-weak-crypto",
                                     objectStreams ? "--object-streams=generate" : "--object-streams=disable",
                                     "--encrypt", "pw", "owner"} +
                             method + QStringList{"--", plain, good})
                     .exitCode,
                 0);
        QByteArray bytes = readAll(good);
        const QString kind = damage.section(' ', 0, 0);
        const QString amount = damage.section(' ', 1);
        if (kind == "cut")
            bytes.chop(amount.toInt());
        else if (kind == "startxref")
            bytes =
                shiftStartxref(bytes, amount == "huge" ? 999999999999 : amount.toLongLong(), amount == "0");
        else
            bytes.replace("/Encrypt", "/Encrypt 1 0 R /X");
        const QString path = shell.write("Damaged.pdf", bytes);

        shell.controller().openDocument(path);
        QTRY_VERIFY(shell.controller().documentFor(path) || !visibleAlerts().isEmpty());
        app::DocumentWindow* window = shell.controller().documentFor(path);
        QString outcome;
        if (!window) {
            // Nothing of it can be read, and the alert says why rather than calling it damaged.
            outcome = "refused at open: " + visibleAlerts().first()->informativeText();
            QVERIFY2(outcome.contains("none of its pages can be read"), qPrintable(outcome));
        } else {
            auto* content = window->findChild<ui::ContentView*>();
            QVERIFY(content);
            if (auto* unlock = qobject_cast<ui::UnlockDocumentView*>(content->contentWidget())) {
                QTest::keyClicks(unlock->passwordField(), "pw");
                QTest::keyClick(unlock->passwordField(), Qt::Key_Return);
                QTRY_VERIFY(!window->document().pdfDocument()->isLocked());
            }
            const bool readOnly = !visibleAlerts().isEmpty();
            closeAlerts();
            editTitle(*window, "Edited");
            std::optional<bool> saved;
            window->save([&](bool ok) { saved = ok; });
            QTRY_VERIFY(saved.has_value());
            if (*saved) {
                const ToolRun check = runTool("qpdf", {"--check", "--password=pw", path});
                QVERIFY2(check.exitCode == 0, check.out.constData());
                QCOMPARE(encryptionOf(path), encryptionOf(good));
                const QByteArray text = runTool("pdftotext", {"-upw", "pw", path, "-"}).out;
                QCOMPARE(text.count("guarded"), kPages);
                outcome = "saved: qpdf --check passes, same encryption, text of every page";
            } else {
                QTRY_COMPARE(visibleAlerts().size(), 1);
                QCOMPARE(visibleAlerts().first()->text(),
                         QStringLiteral("“Damaged.pdf” could not be saved."));
                QVERIFY(readAll(path) == bytes);
                // The reason is the damage and the way left, never a check of the copy the user did not ask
                // for.
                const QString reason = visibleAlerts().first()->informativeText();
                QVERIFY2(!reason.contains("saved copy"), qPrintable(reason));
                // The unprotected copy is named exactly where it holds the text of every page; where the
                // pages' content does not decode, that copy is refused and nothing is written.
                const pdf::Document& pdf = *window->document().pdfDocument();
                const bool namesCopy = reason.contains("Remove Password (Decrypt)…");
                QCOMPARE(namesCopy, pdf.isProtectionDamaged() && !pdf.isContentDamaged());
                const QString copy = shell.dir.filePath("Unlocked.pdf");
                const auto removed = document::PasswordCopies::removePassword(pdf, copy);
                if (namesCopy) {
                    QCOMPARE(removed.title, QStringLiteral("Password Removed"));
                    const ToolRun check = runTool("qpdf", {"--check", copy});
                    QVERIFY2(check.exitCode == 0, check.out.constData());
                    QCOMPARE(runTool("pdftotext", {copy, "-"}).out.count("guarded"), kPages);
                } else if (pdf.isContentDamaged()) {
                    QCOMPARE(removed.title, QStringLiteral("Couldn't Save"));
                    QVERIFY2(removed.message.contains("cannot be decrypted or decoded"),
                             qPrintable(removed.message));
                    QVERIFY(!QFile::exists(copy));
                }
                outcome = QStringLiteral("%1save refused, file untouched: ")
                              .arg(readOnly ? "read-only, " : "opened, ") +
                          visibleAlerts().first()->informativeText();
            }
        }
        qInfo("%s", qPrintable(outcome));
    }
};

QTEST_MAIN(TestDamagedProtectedSaves)
#include "test_damaged_protected_saves.moc"
