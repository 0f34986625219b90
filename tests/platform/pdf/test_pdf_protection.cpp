// Protection and loss: damaged encrypted files keep their encryption or are never saved over, and the
// verification of every save refuses a copy that lost anything, as qpdf and MuPDF read the files.
#include "ExternalTool.h"
#include "PdfFixtures.h"
#include "pdf/PdfDocument.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla::pdf;

namespace {

const QStringList kRc4{"128", "--use-aes=n"};
const QStringList kAes128{"128", "--use-aes=y"};
const QStringList kAes256{"256"};

enum Outcome { Saves, NotSavedOver, ReadOnly, Refused };

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

// What went wrong, for a failure message; empty for a value.
QString problem(const Result<QByteArray>& result) {
    return result.ok() ? QString() : result.error().message;
}

QByteArray shiftStartxref(QByteArray bytes, qint64 shift, bool toZero = false) {
    const qsizetype at = bytes.lastIndexOf("startxref\n") + 10;
    const qsizetype end = bytes.indexOf('\n', at);
    const qint64 value = toZero ? 0 : bytes.mid(at, end - at).toLongLong() + shift;
    return bytes.replace(at, end - at, QByteArray::number(value));
}

} // namespace

class TestPdfProtection : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    QString write(const QByteArray& bytes) {
        return writeTestBytes(m_dir.filePath(QStringLiteral("f%1.pdf").arg(++m_files)), bytes);
    }

    // `plain` encrypted by qpdf with the user password "pw" and the owner password "owner".
    QByteArray encrypted(const QByteArray& plain, const QStringList& method, bool objectStreams = false) {
        const QString out = m_dir.filePath(QStringLiteral("e%1.pdf").arg(++m_files));
        const ToolRun run = runTool(
            "qpdf", QStringList{"--allow-weak-crypto",
                                objectStreams ? "--object-streams=generate" : "--object-streams=disable",
                                "--encrypt", "pw", "owner"} +
                        method + QStringList{"--", write(plain), out});
        if (run.exitCode != 0)
            qFatal("qpdf could not encrypt");
        return readFile(out);
    }

    // The revision, permissions and methods of qpdf's account of a file's encryption.
    QStringList encryptionOf(const QByteArray& bytes) {
        const QByteArray shown = runTool("qpdf", {"--show-encryption", "--password=pw", write(bytes)}).out;
        return QString::fromUtf8(shown).split('\n').filter(QRegularExpression("^[RP] = |method"));
    }

    // A saved copy as other readers see it: qpdf checks it with the password and names the same encryption
    // method as the original, and every page has its text.
    void expectSavedWhole(const QByteArray& saved, const QByteArray& original, int pages,
                          const QString& word) {
        const QString path = write(saved);
        const ToolRun check = runTool("qpdf", {"--check", "--password=pw", path});
        QVERIFY2(check.exitCode == 0, check.out.constData());
        const QStringList method = encryptionOf(original);
        QVERIFY(!method.isEmpty());
        QCOMPARE(encryptionOf(saved), method);
        auto reopened = Document::open(saved).value();
        QVERIFY(reopened->isLocked());
        QVERIFY(reopened->authenticate("pw"));
        QCOMPARE(reopened->pageCount(), pages);
        for (int i = 0; i < pages; ++i)
            QVERIFY(reopened->pageText(i).value().contains(word));
    }

    // A file whose pages are ciphertext that nothing decrypts any more: an unprotected copy would be written
    // with that ciphertext labelled as plain compressed content, which no reader can read. It is refused with
    // the reason, and the same bytes written anyway are what every other reader rejects.
    void expectUnprotectedCopyRefused(const Document& d) {
        QVERIFY(d.isContentDamaged());
        const SaveOptions none{SaveOptions::Encryption::None};
        const auto copy = d.save(none);
        QVERIFY(!copy.ok());
        QVERIFY2(copy.error().message.contains("cannot be decrypted or decoded"),
                 qPrintable(copy.error().message));
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    // A tail cut off at any length: the file opens with its password and saves with it, or opens with its
    // password and refuses to be saved over (MuPDF's repair of encrypted object streams cannot be written
    // back in a form the password opens) while an unprotected copy saves, or opens read-only (what its
    // password needs is gone), or is refused with the reason why nothing of it can be read.
    void cutTailsOpenReadOnlyOrSayWhyNot_data() {
        QTest::addColumn<QStringList>("method");
        QTest::addColumn<bool>("objectStreams");
        QTest::addColumn<int>("cut");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("reason"); // part of the refusal, for `Refused`
        const QString identifier = "the file identifier that its password needs";
        const QString streams = "packed in object streams that do not decode";
        struct Row {
            const char* name;
            QStringList method;
            bool objectStreams;
            int cut;
            Outcome outcome;
            QString reason;
        };
        const Row rows[] = {
            {"RC4 128", kRc4, false, 30, Saves, {}},
            {"RC4 128", kRc4, false, 100, ReadOnly, {}},
            {"RC4 128", kRc4, false, 300, ReadOnly, {}},
            {"RC4 128", kRc4, false, 1000, ReadOnly, {}},
            {"AES 128", kAes128, false, 30, Saves, {}},
            {"AES 128", kAes128, false, 100, ReadOnly, {}},
            {"AES 128", kAes128, false, 300, ReadOnly, {}},
            {"AES 128", kAes128, false, 1000, ReadOnly, {}},
            {"AES 256", kAes256, false, 30, Saves, {}},
            {"AES 256", kAes256, false, 100, Saves, {}},
            {"AES 256", kAes256, false, 300, Saves, {}},
            {"AES 256", kAes256, false, 1000, ReadOnly, {}},
            {"RC4 128", kRc4, true, 30, NotSavedOver, {}},
            {"RC4 128", kRc4, true, 100, NotSavedOver, {}},
            {"RC4 128", kRc4, true, 300, Refused, identifier},
            {"RC4 128", kRc4, true, 1000, Refused, streams},
            {"AES 128", kAes128, true, 30, NotSavedOver, {}},
            {"AES 128", kAes128, true, 100, NotSavedOver, {}},
            {"AES 128", kAes128, true, 300, Refused, identifier},
            {"AES 128", kAes128, true, 1000, Refused, streams},
            {"AES 256", kAes256, true, 30, NotSavedOver, {}},
            {"AES 256", kAes256, true, 100, NotSavedOver, {}},
            {"AES 256", kAes256, true, 300, NotSavedOver, {}},
            {"AES 256", kAes256, true, 1000, Refused, streams},
        };
        for (const Row& r : rows)
            QTest::addRow("%s%s, cut %d", r.name, r.objectStreams ? ", object streams" : "", r.cut)
                << r.method << r.objectStreams << r.cut << int(r.outcome) << r.reason;
    }

    void cutTailsOpenReadOnlyOrSayWhyNot() {
        QFETCH(QStringList, method);
        QFETCH(bool, objectStreams);
        QFETCH(int, cut);
        QFETCH(int, outcome);
        QFETCH(QString, reason);
        const QByteArray good = encrypted(fixtures::makeTextPdf(3, "guarded"), method, objectStreams);
        auto opened = Document::open(good.left(good.size() - cut));
        if (outcome == Refused) {
            QVERIFY(!opened.ok());
            QVERIFY2(opened.error().message.contains(reason, Qt::CaseInsensitive),
                     qPrintable(opened.error().message));
            return;
        }
        QVERIFY2(opened.ok(), qPrintable(opened.ok() ? QString() : opened.error().message));
        auto d = opened.value();
        if (outcome == ReadOnly) {
            QVERIFY(!d->isLocked());
            QCOMPARE(d->pageCount(), 3);
            QVERIFY(d->isProtectionDamaged() || d->isContentDamaged());
            if (d->isProtectionDamaged())
                QVERIFY(!d->save().ok());
            expectUnprotectedCopyRefused(*d);
            return;
        }
        QVERIFY(d->isLocked());
        QVERIFY(d->authenticate("pw"));
        QCOMPARE(d->pageCount(), 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY(d->pageText(i).value().contains("guarded"));
        auto saved = d->save();
        if (outcome == NotSavedOver) {
            // Found only by writing it: from then on it is damaged protection, and the unprotected copy
            // holds.
            QVERIFY(!saved.ok());
            QCOMPARE(saved.error().kind, Error::Kind::Damaged);
            QVERIFY2(saved.error().message.contains("password protection cannot be written again"),
                     qPrintable(saved.error().message));
            QVERIFY(d->isProtectionDamaged());
            auto copy = d->save(SaveOptions{SaveOptions::Encryption::None});
            QVERIFY2(copy.ok(), qPrintable(problem(copy)));
            auto reopened = Document::open(copy.value()).value();
            QVERIFY(!reopened->isEncrypted());
            for (int i = 0; i < 3; ++i)
                QVERIFY(reopened->pageText(i).value().contains("guarded"));
            return;
        }
        QVERIFY2(saved.ok(), qPrintable(problem(saved)));
        expectSavedWhole(saved.value(), good, 3, "guarded");
    }

    // A startxref pointing astray leaves the file readable; saving writes it back whole, with its encryption.
    void shiftedStartxrefSavesWithItsProtection_data() {
        QTest::addColumn<QStringList>("method");
        QTest::addColumn<bool>("objectStreams");
        for (const auto& [name, method] :
             {std::pair{"RC4 128", kRc4}, {"AES 128", kAes128}, {"AES 256", kAes256}})
            for (bool objectStreams : {false, true})
                QTest::addRow("%s%s", name, objectStreams ? ", object streams" : "")
                    << method << objectStreams;
    }

    void shiftedStartxrefSavesWithItsProtection() {
        QFETCH(QStringList, method);
        QFETCH(bool, objectStreams);
        const QByteArray good = encrypted(fixtures::makeTextPdf(3, "guarded"), method, objectStreams);
        struct Shift {
            const char* name;
            qint64 by;
            bool toZero;
        };
        for (const Shift& shift : {Shift{"+1", 1, false},
                                   {"+10", 10, false},
                                   {"-10", -10, false},
                                   {"-100", -100, false},
                                   {"0", 0, true},
                                   {"huge", 999999999999, false}}) {
            auto opened = Document::open(shiftStartxref(good, shift.by, shift.toZero));
            QVERIFY2(opened.ok(), shift.name);
            auto d = opened.value();
            QVERIFY2(d->isLocked(), shift.name);
            QVERIFY2(d->authenticate("pw"), shift.name);
            QCOMPARE(d->pageCount(), 3);
            QVERIFY(d->removePage(0).ok()); // an edit, kept by the save
            auto saved = d->save();
            QVERIFY2(saved.ok(), qPrintable(QString(shift.name) + ": " + problem(saved)));
            expectSavedWhole(saved.value(), good, 2, "guarded");
            if (QTest::currentTestFailed())
                return;
        }
    }

    // A cut tail or a damaged /Encrypt loses the trailer that names the encryption. The file is encrypted
    // again when its handler and identifier are still there; otherwise it is read-only: a save keeping its
    // protection is refused, an unprotected copy is not.
    void lostTrailerNeverLosesProtection_data() {
        QTest::addColumn<QStringList>("method");
        QTest::addColumn<bool>("needsIdentifier");
        QTest::newRow("RC4 128") << kRc4 << true;
        QTest::newRow("AES 128") << kAes128 << true;
        QTest::newRow("AES 256") << kAes256 << false;
    }

    void lostTrailerNeverLosesProtection() {
        QFETCH(QStringList, method);
        QFETCH(bool, needsIdentifier);
        // Forty pages: the cuts take the cross-reference table and the trailer, not the objects.
        const QByteArray good = encrypted(fixtures::makeTextPdf(40, "guarded"), method);
        // How much of the end may go before the file identifier of the trailer goes with it.
        const qsizetype afterIdentifier = good.size() - (good.indexOf(']', good.lastIndexOf("/ID")) + 1);
        struct Variant {
            QString name;
            QByteArray bytes;
            bool identifierKept;
        };
        std::vector<Variant> variants;
        for (int cut : {30, 60, 100, 250, 500, 1000})
            variants.push_back(
                {QStringLiteral("cut %1").arg(cut), good.left(good.size() - cut), cut <= afterIdentifier});
        QByteArray broken = good;
        variants.push_back({"broken /Encrypt", broken.replace("/Encrypt", "/Encrypt 1 0 R /X"), true});
        int recovered = 0;
        for (const Variant& v : variants) {
            auto opened = Document::open(v.bytes);
            QVERIFY2(opened.ok(), qPrintable(v.name));
            auto d = opened.value();
            if (!d->isLocked()) {
                // Only a file whose identifier is gone may open without a password, and then read-only.
                QVERIFY2(needsIdentifier && !v.identifierKept, qPrintable(v.name));
                QVERIFY2(d->isProtectionDamaged(), qPrintable(v.name));
                auto refused = d->save();
                QVERIFY2(!refused.ok(), qPrintable(v.name));
                QCOMPARE(refused.error().message,
                         QStringLiteral("The protected document is damaged and cannot be saved over."));
                expectUnprotectedCopyRefused(*d);
                continue;
            }
            ++recovered;
            QVERIFY2(!d->isProtectionDamaged(), qPrintable(v.name));
            QVERIFY2(d->authenticate("pw"), qPrintable(v.name));
            QCOMPARE(d->pageCount(), 40);
            auto saved = d->save();
            QVERIFY2(saved.ok(), qPrintable(v.name + ": " + problem(saved)));
            expectSavedWhole(saved.value(), good, 40, "guarded");
            if (QTest::currentTestFailed())
                return;
        }
        qInfo("%d of %d variants keep their protection", recovered, int(variants.size()));
        QVERIFY(recovered >= 2); // the shortest cut and the broken /Encrypt at least
        if (!needsIdentifier)
            QCOMPARE(recovered, int(variants.size()));
    }

    // A repaired file whose pages' content does not decode is read-only; a repaired one whose content decodes
    // is saved like any other.
    void repairedFileIsReadOnlyOnlyWhenItsContentIsLost() {
        const QByteArray plain = fixtures::makeTextPdf(2, "guarded");
        const QByteArray aes256 = encrypted(plain, kAes256);
        // qpdf writes the encryption dictionary after the pages, close to the end: a cut of some hundred
        // bytes takes it, the cross-reference table and the trailer with its /ID, and leaves every page
        // whole.
        const qsizetype handler = aes256.lastIndexOf("/Standard");
        const qsizetype handlerObject = aes256.lastIndexOf('\n', aes256.lastIndexOf(" obj", handler)) + 1;
        struct Case {
            const char* name;
            QByteArray bytes;
            bool contentDamaged;
        };
        const Case cases[] = {
            // The encryption dictionary and /ID go with the tail: the file opens without a password and its
            // content streams are ciphertext.
            {"AES 256 cut before its encryption dictionary", aes256.left(handlerObject), true},
            {"plain with its table cut", plain.left(plain.lastIndexOf("xref") + 20), false},
        };
        for (const Case& c : cases) {
            QVERIFY2(!c.bytes.contains("/Standard"), c.name); // nothing left to restore the encryption from
            auto opened = Document::open(c.bytes);
            QVERIFY2(opened.ok(), c.name);
            auto d = opened.value();
            QVERIFY2(!d->isLocked() && !d->isProtectionDamaged(), c.name);
            QCOMPARE(d->pageCount(), 2);
            QCOMPARE(d->isContentDamaged(), c.contentDamaged);
            if (c.contentDamaged)
                continue;
            auto saved = d->save();
            QVERIFY2(saved.ok(), qPrintable(QString(c.name) + ": " + problem(saved)));
            auto reread = Document::open(saved.value());
            QVERIFY(reread.ok());
            QVERIFY(!reread.value()->isContentDamaged());
            QVERIFY(reread.value()->pageText(1).value().contains("guarded"));
        }
    }

    // Each refusal of the verification, shown a copy that lost one thing.
    void verificationRefusesEveryLoss() {
        fixtures::DocSpec spec;
        spec.pages = {{"Alpha page"}, {"Beta page"}, {"Gamma page"}};
        auto plain = Document::open(fixtures::makePdf(spec)).value();
        const QByteArray protectedBytes =
            plain->save(SaveOptions{SaveOptions::Encryption::Aes256, "pw", "owner"}).value();
        auto d = Document::open(protectedBytes).value();
        QVERIFY(d->authenticate("pw"));
        const QByteArray good = d->save().value();
        QVERIFY(d->verifyCopy(good).ok());

        const QString goodPath = write(good);
        auto qpdf = [&](const QStringList& arguments) {
            const QString out = m_dir.filePath(QStringLiteral("q%1.pdf").arg(++m_files));
            const ToolRun run =
                runTool("qpdf", QStringList{"--password=pw", goodPath} + arguments + QStringList{out});
            if (run.exitCode != 0 && run.exitCode != 3)
                qFatal("qpdf failed");
            return readFile(out);
        };
        QByteArray otherContent = good;
        {
            fixtures::DocSpec other = spec;
            other.pages[1].text = "Betx page";
            auto changed = Document::open(fixtures::makePdf(other)).value();
            otherContent = changed->save(SaveOptions{SaveOptions::Encryption::Aes256, "pw", "owner"}).value();
        }
        struct Case {
            const char* name;
            QByteArray copy;
            QString reason;
        };
        const Case cases[] = {
            {"not a PDF", good.left(200), "The saved copy does not open."},
            {"another password", qpdf({"--encrypt", "other", "other", "256", "--"}),
             "The saved copy does not open with the document’s password."},
            {"decrypted", qpdf({"--decrypt"}), "The saved copy has lost the document’s password protection."},
            {"weaker encryption",
             qpdf({"--allow-weak-crypto", "--encrypt", "pw", "owner", "128", "--use-aes=n", "--"}),
             "The saved copy has lost the document’s password protection."},
            {"a page short", qpdf({"--pages", ".", "1-2", "--"}), "The saved copy is missing page 3."},
            {"a page more", qpdf({"--pages", ".", "1-3,3", "--"}),
             "The saved copy has 4 pages instead of 3."},
            {"other content", otherContent, "The content of page 2 is lost in the saved copy."},
        };
        for (const Case& c : cases) {
            const Status verified = d->verifyCopy(c.copy);
            QVERIFY2(!verified.ok(), c.name);
            QVERIFY2(verified.error().message == c.reason,
                     qPrintable(c.name + (": " + verified.error().message)));
        }
        // A page whose widget is its own parent does not load; the same page without it does.
        auto twoPages = [](const QByteArray& annots) {
            const QByteArray page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 200] /Contents 5 0 R ";
            return fixtures::assemblePdf({"<< /Type /Catalog /Pages 2 0 R >>",
                                          "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>", page + ">>",
                                          page + annots + " >>", "<< /Length 0 >>\nstream\n\nendstream",
                                          "<< /Type /Annot /Subtype /Widget /FT /Btn /Rect [0 0 10 10] "
                                          "/Parent 6 0 R /Kids [6 0 R] >>"});
        };
        auto loads = Document::open(twoPages({})).value();
        const Status unreadable = loads->verifyCopy(twoPages("/Annots [6 0 R]"));
        QVERIFY(!unreadable.ok());
        QCOMPARE(unreadable.error().message, QStringLiteral("Page 2 of the saved copy cannot be read."));

        // Asked for an unprotected copy, a copy that stayed protected is refused and a plain one is not.
        const SaveOptions none{SaveOptions::Encryption::None};
        QCOMPARE(d->verifyCopy(good, none).error().message,
                 QStringLiteral("The saved copy is still password-protected."));
        QVERIFY(d->verifyCopy(qpdf({"--decrypt"}), none).ok());
    }

    // An encrypted copy always has a file identifier: readers refuse an encrypted file without one. A file
    // that lost its own (its trailer rewritten without it) gets a new one, whether it keeps its protection or
    // is given a new password.
    void encryptedCopiesHaveAFileIdentifier() {
        const QByteArray aes256 = encrypted(fixtures::makeTextPdf(2, "guarded"), kAes256);
        QVERIFY(aes256.contains("/ID"));
        QByteArray withoutId = aes256;
        withoutId.replace("/ID", "/XD"); // the same length: the cross-reference table stays right
        QByteArray plainWithoutId = fixtures::makeTextPdf(2, "guarded");
        QVERIFY(!plainWithoutId.contains("/ID"));
        struct Case {
            const char* name;
            QByteArray bytes;
            SaveOptions options;
        };
        const Case cases[] = {
            {"AES 256 kept", withoutId, {}},
            {"new AES 256", plainWithoutId, SaveOptions{SaveOptions::Encryption::Aes256, "pw", "pw"}},
        };
        for (const Case& c : cases) {
            auto d = Document::open(c.bytes).value();
            QVERIFY2(d->authenticate("pw"), c.name);
            auto saved = d->save(c.options);
            QVERIFY2(saved.ok(), qPrintable(QString(c.name) + ": " + problem(saved)));
            const QString path = write(saved.value());
            const ToolRun check = runTool("qpdf", {"--check", "--password=pw", path});
            QVERIFY2(check.exitCode == 0, qPrintable(QString(c.name) + ": " + check.out));
            QVERIFY2(!check.out.contains("invalid /ID"), c.name);
            const QByteArray trailer = runTool("qpdf", {"--show-object=trailer", "--password=pw", path}).out;
            QVERIFY2(trailer.contains("/ID ["), qPrintable(QString(c.name) + ": " + trailer));
        }
    }
};

QTEST_GUILESS_MAIN(TestPdfProtection)
#include "test_pdf_protection.moc"
