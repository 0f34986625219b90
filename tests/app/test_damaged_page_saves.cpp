// Damaged files whose pages other readers still count or read, through the document window as a user meets
// them: each is opened (unlocked with its password where it asks for one), edited with one rectangle and
// saved with Ctrl+S. The copy then has as many pages as pdfinfo counts in the original and, page by page,
// every word that pdftotext and mutool read there; or the save is refused with an alert and the file left
// byte for byte.
#include "ExternalTool.h"
#include "ShellFixture.h"
#include "annotations/ToolState.h"
#include "pdfview/annotating/AnnotatingPDFView.h"
#include "ui/passwords/UnlockDocumentView.h"
#include "ui/window/ContentView.h"
#include "ui/workspace/PDFEditorWorkspaceView.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

using namespace zepla;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray contentStream(int page) {
    const QByteArray ops =
        "BT /F1 14 Tf 20 150 Td (Words of page " + QByteArray::number(page) + " here) Tj ET 10 10 50 50 re f";
    return "<< /Length " + QByteArray::number(ops.size()) + " >>\nstream\n" + ops + "\nendstream";
}

QByteArray pageObject(int parent, int contents) {
    return "<< /Type /Page /Parent " + QByteArray::number(parent) +
           " 0 R /MediaBox [0 0 300 200] /Resources << /Font << /F1 << /Type /Font /Subtype /Type1 "
           "/BaseFont /Helvetica >> >> >> /Contents " +
           QByteArray::number(contents) + " 0 R >>";
}

// Catalog 1, the tree's one node 2, pages 3 to `pages` + 2, then their contents.
QList<QByteArray> flatTree(int pages) {
    QByteArray kids;
    for (int i = 0; i < pages; ++i)
        kids += QByteArray::number(3 + i) + " 0 R ";
    QList<QByteArray> objects{"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [" + kids +
                                                                       "] /Count " +
                                                                       QByteArray::number(pages) + " >>"};
    for (int i = 0; i < pages; ++i)
        objects << pageObject(2, 3 + pages + i);
    for (int i = 0; i < pages; ++i)
        objects << contentStream(i + 1);
    return objects;
}

// Six pages under two nodes of three (4 and 5) below the root 2; the root's second kid is `secondKid`.
QByteArray twoNodes(const QByteArray& secondKid) {
    QList<QByteArray> objects{"<< /Type /Catalog /Pages 2 0 R >>",
                              "<< /Type /Pages /Kids [4 0 R " + secondKid + "] /Count 6 >>", "<< >>",
                              "<< /Type /Pages /Parent 2 0 R /Kids [6 0 R 7 0 R 8 0 R] /Count 3 >>",
                              "<< /Type /Pages /Parent 2 0 R /Kids [9 0 R 10 0 R 11 0 R] /Count 3 >>"};
    for (int i = 0; i < 6; ++i)
        objects << pageObject(i < 3 ? 4 : 5, 12 + i);
    for (int i = 0; i < 6; ++i)
        objects << contentStream(i + 1);
    return fixtures::assemblePdf(objects);
}

// The file with the cross-reference entry of object `number` marked free.
QByteArray freed(QByteArray bytes, int number) {
    const qsizetype table = bytes.lastIndexOf("\nxref\n");
    const qsizetype entries = bytes.indexOf('\n', table + 6) + 1;
    const qsizetype type = entries + 20 * number + 17;
    bytes[type] = 'f';
    return bytes;
}

// Four pages encrypted by qpdf with the password "pw" and the given method, then the /Length of page 3's
// content stream made a lie of the same width, so that every offset stays right: a few bytes too long, or
// negative.
QByteArray encryptedWithBrokenLength(const QString& dir, const QStringList& method, bool negative) {
    const QString plain = writeTestBytes(dir + "/plain.pdf", fixtures::assemblePdf(flatTree(4)));
    const QString encrypted = dir + "/encrypted.pdf";
    if (runTool("qpdf", QStringList{"--allow-weak-crypto", "--encrypt", "pw", "owner"} + method +
                            QStringList{"--", plain, encrypted})
            .exitCode != 0)
        qFatal("qpdf did not encrypt");
    const QString pages =
        QString::fromUtf8(runTool("qpdf", {"--password=pw", "--show-pages", encrypted}).out);
    const QRegularExpressionMatch third =
        QRegularExpression("page 3: .*\\n\\s*content:\\n\\s*(\\d+) 0 R").match(pages);
    if (!third.hasMatch())
        qFatal("qpdf did not show page 3's content: %s", qPrintable(pages));
    QByteArray bytes = readAll(encrypted);
    const qsizetype object = bytes.indexOf("\n" + third.captured(1).toUtf8() + " 0 obj") + 1;
    const qsizetype at = bytes.indexOf("/Length ", object) + 8;
    const qsizetype width = bytes.indexOf(' ', at) - at;
    const QByteArray length = bytes.mid(at, width);
    const QByteArray lie =
        negative ? "-" + QByteArray(width - 1, '9') : QByteArray::number(length.toInt() + 3);
    if (lie.size() != width)
        qFatal("the length %s has no lie of its width", length.constData());
    return bytes.replace(at, width, lie);
}

// Three pages, the first with 30 notes, linearized by qpdf with object streams (the first page's objects
// packed at the front, numbered above the others), then cut before the cross-reference stream at its end, as
// a download that stopped short leaves it.
QByteArray linearizedCutShort(const QString& dir) {
    QList<QByteArray> objects = flatTree(3);
    QByteArray notes;
    for (int i = 0; i < 30; ++i) {
        notes += QByteArray::number(9 + i) + " 0 R ";
        objects << "<< /Type /Annot /Subtype /Text /Rect [" + QByteArray::number(10 * i) + " 10 " +
                       QByteArray::number(10 * i + 10) + " 20] /Contents (note " + QByteArray::number(i) +
                       ") >>";
    }
    objects[2].insert(objects[2].lastIndexOf(">>"), "/Annots [" + notes + "] ");
    const QString plain = writeTestBytes(dir + "/plain.pdf", fixtures::assemblePdf(objects));
    const QString linearized = dir + "/linearized.pdf";
    if (runTool("qpdf", {"--linearize", "--object-streams=generate", plain, linearized}).exitCode != 0)
        qFatal("qpdf did not linearize");
    QByteArray bytes = readAll(linearized);
    const qsizetype header = bytes.lastIndexOf(" 0 obj", bytes.lastIndexOf("/Type /XRef"));
    bytes.truncate(bytes.lastIndexOf('\n', header) + 1);
    return bytes;
}

// The words of each page of the file at `path` as a reader gives them: pdftotext or mutool (which writes each
// page's text into a file named after `scratch`).
QList<QStringList> wordsPerPage(const QString& tool, const QString& path, const QString& scratch) {
    auto words = [](const QByteArray& text) {
        return QString::fromUtf8(text).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    };
    QList<QStringList> pages;
    if (tool == "pdftotext") {
        QList<QByteArray> parts = runTool("pdftotext", {"-upw", "pw", path, "-"}).out.split('\f');
        parts.removeLast(); // what follows the last page's form feed
        for (const QByteArray& part : parts)
            pages << words(part);
        return pages;
    }
    auto pageFile = [&](int page) { return scratch + "-" + QString::number(page) + ".txt"; };
    runTool("mutool", {"draw", "-p", "pw", "-F", "txt", "-o", scratch + "-%d.txt", path});
    for (int page = 1; QFileInfo::exists(pageFile(page)); ++page)
        pages << words(readAll(pageFile(page)));
    return pages;
}

int pdfinfoPages(const QString& path) {
    const QByteArray info = runTool("pdfinfo", {"-upw", "pw", path}).out;
    return QRegularExpression("Pages:\\s+(\\d+)").match(QString::fromUtf8(info)).captured(1).toInt();
}

} // namespace

class TestDamagedPageSaves : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { usePrivatePreferences(); }
    void cleanup() { closeAlerts(); }

    void everyPageKeptOrRefusedUntouched_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("page object that refers to itself") << "self page";
        QTest::newRow("node of the tree that refers to itself") << "self node";
        QTest::newRow("cross-reference entry flipped to free") << "flipped";
        QTest::newRow("node of the tree that MuPDF cannot parse") << "unparseable node";
        QTest::newRow("root of the tree flipped to free") << "freed root";
        QTest::newRow("content stream flipped to free") << "freed content";
        QTest::newRow("stray reference in a stream's dictionary, cross-reference lost") << "stray reference";
        QTest::newRow("linearized with object streams, cut before its end") << "linearized cut";
        QTest::newRow("AES-256, a content stream's /Length a few bytes long") << "aes256";
        QTest::newRow("RC4-40, a content stream's /Length negative") << "rc4";
    }

    void everyPageKeptOrRefusedUntouched() {
        QFETCH(QString, damage);
        ShellFixture shell;
        QByteArray bytes;
        if (damage == "self page") {
            QList<QByteArray> objects = flatTree(3);
            objects[3] = "4 0 R";
            bytes = fixtures::assemblePdf(objects);
        } else if (damage == "self node") {
            bytes = twoNodes("2 0 R");
        } else if (damage == "unparseable node") {
            // A key of the second node without its slash: the offsets stay right.
            bytes = twoNodes("5 0 R").replace("<< /Type /Pages /Parent 2 0 R /Kids [9",
                                              "<<  Type /Pages /Parent 2 0 R /Kids [9");
        } else if (damage == "freed root") {
            bytes = freed(fixtures::assemblePdf(flatTree(3)), 2);
        } else if (damage == "freed content") {
            bytes = freed(fixtures::assemblePdf(flatTree(3)), 7);
        } else if (damage == "stray reference") {
            // MuPDF's repair gives up on the whole file at the dictionary of page 2's content.
            bytes = fixtures::assemblePdf(flatTree(3));
            const qsizetype length = bytes.indexOf("/Length", bytes.indexOf("\n7 0 obj"));
            bytes.insert(bytes.indexOf(" >>", length), " 0 R 0 R");
            bytes.replace("startxref", "startxreg");
        } else if (damage == "linearized cut") {
            bytes = linearizedCutShort(shell.dir.path());
        } else if (damage == "flipped") {
            bytes = freed(fixtures::assemblePdf(flatTree(3)), 4);
        } else {
            bytes = damage == "aes256" ? encryptedWithBrokenLength(shell.dir.path(), {"256"}, false)
                                       : encryptedWithBrokenLength(shell.dir.path(), {"40"}, true);
        }
        const QString path = shell.write("Damaged.pdf", bytes);
        const int counted = pdfinfoPages(path);
        QVERIFY(counted >= 3);
        const QList<QStringList> byPoppler = wordsPerPage("pdftotext", path, {});
        const QList<QStringList> byMupdf = wordsPerPage("mutool", path, shell.dir.filePath("original"));
        QVERIFY(!byPoppler.isEmpty()); // MuPDF reads some of them not at all

        app::DocumentWindow* window = openAndWait(shell, path);
        QVERIFY(window);
        auto* content = window->findChild<ui::ContentView*>();
        if (auto* unlock = qobject_cast<ui::UnlockDocumentView*>(content->contentWidget())) {
            QTest::keyClicks(unlock->passwordField(), "pw");
            QTest::keyClick(unlock->passwordField(), Qt::Key_Return);
            QTRY_VERIFY(!window->document().pdfDocument()->isLocked());
        }
        ui::PDFEditorWorkspaceView* workspace = nullptr;
        QTRY_VERIFY((workspace = content->workspace()));
        QTRY_VERIFY(workspace->pdfView()->viewport()->isVisible());
        // The pages counted on a worker after opening are in place before the edit.
        QTRY_COMPARE(window->document().pdfDocument()->pageCount(), counted);
        closeAlerts();
        workspace->toolState().setTool(annotations::AnnotationTool::rectangle);
        QWidget* viewport = workspace->pdfView()->viewport();
        const QPoint from = viewport->rect().center() - QPoint(60, 40);
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(viewport, from + QPoint(30 * step, 20 * step));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + QPoint(120, 80));
        QTRY_VERIFY(window->isDocumentEdited());

        std::optional<bool> saved;
        window->save([&](bool ok) { saved = ok; });
        QTRY_VERIFY_WITH_TIMEOUT(saved.has_value(), 60000);
        // Nothing in these files stands in a save's way; were it refused, the file must be as it was.
        if (!*saved) {
            QVERIFY(readAll(path) == bytes);
            QTRY_COMPARE(visibleAlerts().size(), 1);
            QFAIL(qPrintable("the save was refused: " + visibleAlerts().first()->informativeText()));
        }
        QCOMPARE(pdfinfoPages(path), counted);
        for (const QString& tool : {QStringLiteral("pdftotext"), QStringLiteral("mutool")}) {
            const QList<QStringList> original = tool == "pdftotext" ? byPoppler : byMupdf;
            const QList<QStringList> copy = wordsPerPage(tool, path, shell.dir.filePath("copy"));
            QVERIFY2(copy.size() >= original.size(), qPrintable(tool));
            for (int page = 0; page < original.size(); ++page)
                for (const QString& word : original[page])
                    QVERIFY2(
                        copy[page].contains(word),
                        qPrintable(
                            QStringLiteral("%1: “%2” of page %3 is lost").arg(tool, word).arg(page + 1)));
        }
    }
};

QTEST_MAIN(TestDamagedPageSaves)
#include "test_damaged_page_saves.moc"
