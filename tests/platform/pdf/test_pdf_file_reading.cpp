// Reading a file to open it: only regular files that start like a PDF are read further, a file of any size
// opens without being read into memory, a file cut short by another program while it is open reads as
// damage (never the end of the process), and a truncated scan that other readers render opens.
#include "ExternalTool.h"
#include "PdfFixtures.h"
#include "pdf/PdfDocument.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <zlib.h>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

using namespace zepla::pdf;

namespace {

constexpr qint64 kGigabyte = qint64(1) << 30;

// Starts the count of this process's resident peak anew from what it holds now.
void resetResidentPeak() {
    QFile clear("/proc/self/clear_refs");
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        qFatal("cannot reset the resident peak");
}

// The peak of this process's resident memory, in kilobytes.
qint64 residentPeakKb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        qFatal("cannot read /proc/self/status");
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

// `bytes` written with a hole of `hole` bytes (that takes no room on the disk) at `at`.
QString writeWithHole(const QString& path, const QByteArray& bytes, qsizetype at, qint64 hole) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.left(at)) != at || !file.resize(at + hole) ||
        !file.seek(at + hole) || file.write(bytes.mid(at)) != bytes.size() - at)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// A scanner's one-page file: the catalog, the page and its drawing first, the page's picture (a grey scan of
// 600 by 800 samples, compressed) last.
QByteArray scan() {
    QByteArray samples;
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 600; ++x)
            samples.append(char((x * 7 + y * 3 + (x * y) % 13) & 0xff));
    uLongf size = compressBound(uLong(samples.size()));
    QByteArray deflated(qsizetype(size), '\0');
    compress(reinterpret_cast<Bytef*>(deflated.data()), &size, reinterpret_cast<const Bytef*>(samples.data()),
             uLong(samples.size()));
    deflated.truncate(qsizetype(size));
    const QByteArray drawing = "q 432 0 0 576 0 0 cm /Im0 Do Q";
    return fixtures::assemblePdf(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 432 576] /Resources << /XObject << /Im0 5 0 R >> >> "
         "/Contents 4 0 R >>",
         "<< /Length " + QByteArray::number(drawing.size()) + " >>\nstream\n" + drawing + "\nendstream",
         "<< /Type /XObject /Subtype /Image /Width 600 /Height 800 /ColorSpace /DeviceGray "
         "/BitsPerComponent 8 /Filter /FlateDecode /Length " +
             QByteArray::number(deflated.size()) + " >>\nstream\n" + deflated + "\nendstream"});
}

// Opens `path` on a thread of its own and waits for the answer: a file that never ends or never answers
// would otherwise hold the test itself. Nothing when the answer does not come within the hang guard.
std::optional<Result<std::shared_ptr<Document>>> openGuarded(const QString& path) {
    struct Shared {
        std::atomic<bool> done{false};
        std::optional<Result<std::shared_ptr<Document>>> result;
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, path] {
        shared->result = Document::openFile(path);
        shared->done = true;
    }).detach();
    if (!QTest::qWaitFor([&] { return shared->done.load(); }, 60000))
        return std::nullopt;
    return shared->result;
}

} // namespace

class TestPdfFileReading : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Whatever a name ending in .pdf stands for, only a regular file that starts like a PDF is read: the
    // rest is refused as not a PDF, at once, without reading it.
    void onlyRegularFilesThatStartAsPdfAreRead_data() {
        QTest::addColumn<QString>("path");
        const QString zero = m_dir.filePath("zero.pdf");
        QVERIFY(QFile::link("/dev/zero", zero));
        const QString fifo = m_dir.filePath("fifo.pdf");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString folder = m_dir.filePath("folder.pdf");
        QVERIFY(QDir().mkdir(folder));
        QTest::newRow("/dev/zero") << zero;
        QTest::newRow("FIFO") << fifo;
        QTest::newRow("folder") << folder;
        QTest::newRow("sparse 1 GB") << writeWithHole(m_dir.filePath("sparse.pdf"), "", 0, kGigabyte);
        QTest::newRow("empty") << writeTestBytes(m_dir.filePath("empty.pdf"), "");
    }

    void onlyRegularFilesThatStartAsPdfAreRead() {
        QFETCH(QString, path);
        resetResidentPeak();
        const qint64 before = residentPeakKb();
        const auto opened = openGuarded(path);
        QVERIFY2(opened.has_value(), "the open did not come back");
        QVERIFY(!opened->ok());
        QCOMPARE(opened->error().kind, Error::Kind::Damaged);
        QVERIFY2(residentPeakKb() - before < 64 * 1024, "the file was read into memory");
    }

    // A file of a gigabyte, nearly all of it a hole between its objects and its cross-reference table, opens
    // and shows its pages without its bytes coming into memory; and a file with a damaged header that ends
    // as a PDF does is still read.
    void aLargeFileOpensWhereItLies() {
        const QByteArray pdf = fixtures::makeTextPdf(3, "distant");
        const qsizetype table = pdf.lastIndexOf("\nxref") + 1;
        QByteArray moved = pdf;
        const qsizetype at = moved.lastIndexOf("startxref\n") + 10;
        moved.replace(at, moved.indexOf('\n', at) - at, QByteArray::number(table + kGigabyte));
        const QString path = writeWithHole(m_dir.filePath("large.pdf"), moved, table, kGigabyte);
        QCOMPARE(QFileInfo(path).size(), moved.size() + kGigabyte);
        resetResidentPeak();
        const qint64 before = residentPeakKb();
        auto opened = Document::openFile(path);
        QVERIFY2(opened.ok(), qPrintable(opened.ok() ? QString() : opened.error().message));
        QCOMPARE(opened.value()->pageCount(), 3);
        QVERIFY(opened.value()->pageText(2).value().contains("distant"));
        QVERIFY2(residentPeakKb() - before < 256 * 1024, "the file was read into memory");

        QByteArray headless = pdf;
        headless.replace("%PDF-", "%XYZ-");
        auto repaired = Document::openFile(writeTestBytes(m_dir.filePath("headless.pdf"), headless));
        QVERIFY(repaired.ok());
        QCOMPARE(repaired.value()->pageCount(), 3);
    }

    // A header and then nothing: MuPDF's repair reads the whole file, and so do the searches for what a cut
    // or a lost trailer left; each holds no more of it in memory than a piece at a time.
    void aDamagedLargeFileIsReadAPieceAtATime() {
        const qint64 size = 256 * 1024 * 1024;
        const QString path = writeWithHole(m_dir.filePath("header-only.pdf"), "%PDF-1.7\n", 9, size);
        resetResidentPeak();
        const qint64 before = residentPeakKb();
        auto opened = Document::openFile(path);
        QVERIFY(!opened.ok());
        QCOMPARE(opened.error().kind, Error::Kind::Damaged);
        QVERIFY2(residentPeakKb() - before < 128 * 1024, "the file was held in memory whole");
    }

    // Another program cuts the open file short: what is gone reads as damage; reading and saving go on.
    void aFileCutShortWhileOpenIsDamageNotACrash() {
        const QString path = writeTestBytes(m_dir.filePath("cut.pdf"), fixtures::makeTextPdf(30, "kept"));
        auto opened = Document::openFile(path);
        QVERIFY(opened.ok());
        auto d = opened.value();
        QVERIFY(d->pageText(0).value().contains("kept"));
        QVERIFY(QFile::resize(path, 400));
        int pagesRead = 0;
        for (int i = 0; i < d->pageCount(); ++i)
            pagesRead += d->pageText(i).ok() ? 1 : 0;
        qInfo("%d of %d pages read after the cut", pagesRead, d->pageCount());
        // Whether it is refused or written, the save comes back.
        const auto saved = d->save();
        if (!saved.ok())
            qInfo("save refused: %s", qPrintable(saved.error().message));
        QVERIFY(d->originalBytes().size() > 400);
    }

    // A scan cut off inside its picture: mutool draws the page with what is left of the picture, and so is it
    // opened here, not refused as damaged.
    void aTruncatedScanOpens() {
        const QByteArray whole = scan();
        const qsizetype picture = whole.indexOf("stream\n", whole.indexOf("/Subtype /Image")) + 7;
        const QByteArray cut = whole.left(picture + (whole.size() - picture) / 2);
        const QString path = writeTestBytes(m_dir.filePath("scan.pdf"), cut);
        const QString png = m_dir.filePath("scan.png");
        QCOMPARE(runTool("mutool", {"draw", "-o", png, path}).exitCode, 0);
        QVERIFY(QFileInfo(png).size() > 0);
        auto opened = Document::openFile(path);
        QVERIFY2(opened.ok(), qPrintable(opened.ok() ? QString() : opened.error().message));
        QCOMPARE(opened.value()->pageCount(), 1);
        QVERIFY(opened.value()->render(0, 0.5).ok());
    }
};

QTEST_GUILESS_MAIN(TestPdfFileReading)
#include "test_pdf_file_reading.moc"
