// Figures for the PDF layer beside the floor it adds to, like for like: in this process against plain MuPDF
// calls in this process, and as a process against mutool and qpdf as processes. Every side runs once to warm
// up, then several times (opening, 31 times) in alternating order; the figures are medians. Any PDF on the
// command line; by default a generated 1,000-page document, a real manual, and the manual's pages repeated to
// 2,415 (put together by qpdf, without object streams). Open to first page, render per page at 150 dpi,
// thumbnail per page, and save: the layer's save writes and reads the copy back, so it is shown beside
// MuPDF's bare write and beside MuPDF's write with the same read-back (reopen, load every page), from the
// file's bytes to the copy's (open and save) beside MuPDF's open and bare write, and as a process (open,
// checked save, write the file) beside `mutool clean -gz` and `qpdf --object-streams=generate` (open, bare
// rewrite, write the file), with the sizes they write.
#include "PdfFixtures.h"
#include "pdf/PdfDocument.h"

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

using namespace zepla::pdf;

namespace {

constexpr int kGeneratedPages = 1000;
constexpr int kLongPages = 2415;
constexpr int kRendered = 100; // at most this many pages rendered for the per-page figures
constexpr double kDpi150 = 150.0 / 72.0;
constexpr int kThumbWidth = 120;
const char* const kManual = "/usr/share/doc/libtasn1-doc/libtasn1.pdf";

constexpr int kRounds = 5;
// Processes share the machine with everything else running: more rounds steady their medians.
constexpr int kProcessRounds = 11;
// Opening to the first page takes a few milliseconds, where one busy moment of a shared machine weighs most:
// it gets more rounds.
constexpr int kOpenRounds = 31;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

// Runs every side once to warm up, then `rounds` times each, the order turning by one side every round;
// returns the medians in milliseconds. A side that reports failure (returns false) makes its median -1.
std::vector<double> alternating(const std::vector<std::function<bool()>>& sides, int rounds = kRounds) {
    std::vector<bool> ok;
    for (const auto& side : sides)
        ok.push_back(side());
    std::vector<std::vector<double>> times(sides.size());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < sides.size(); ++k) {
            const std::size_t i = (k + std::size_t(round)) % sides.size();
            QElapsedTimer t;
            t.start();
            ok[i] = sides[i]() && ok[i];
            times[i].push_back(double(t.nsecsElapsed()) / 1e6);
        }
    }
    std::vector<double> medians;
    for (std::size_t i = 0; i < sides.size(); ++i)
        medians.push_back(ok[i] ? median(times[i]) : -1);
    return medians;
}

std::pair<double, double> sideBySide(const std::function<bool()>& ours, const std::function<bool()>& theirs,
                                     int rounds = kRounds) {
    const std::vector<double> medians = alternating({ours, theirs}, rounds);
    return {medians[0], medians[1]};
}

// A tool run as a process: whether it ran and succeeded. mutool draw without -o renders without writing
// images, like the in-process side.
bool tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() <= 3;
}

// The manual's pages over and over until there are `kLongPages`, written by qpdf without object streams.
bool writeLongFile(const QString& manual, const QString& path) {
    auto opened = Document::openFile(manual);
    const int per = opened ? opened.value()->pageCount() : 0;
    if (per == 0)
        return false;
    QStringList copies;
    for (int pages = 0; pages < kLongPages; pages += per)
        copies << manual;
    const QString joined = path + ".all.pdf";
    return tool("qpdf", QStringList{"--empty", "--pages"} + copies + QStringList{"--", joined}) &&
           tool("qpdf", {"--object-streams=disable", "--empty", "--pages", joined,
                         QStringLiteral("1-%1").arg(kLongPages), "--", path});
}

void header() {
    std::printf("%-58s %12s %12s %8s\n", "", "zepla", "peer", "ratio");
}

void row(const QString& what, std::pair<double, double> figures, double perUnit = 1) {
    auto cell = [&](double v) {
        if (v < 0)
            std::printf(" %12s", "failed");
        else
            std::printf(" %9.3f ms", v / perUnit);
    };
    std::printf("%-58s", qPrintable(what));
    cell(figures.first);
    cell(figures.second);
    std::printf(" %7.2fx\n", figures.second > 0 && figures.first > 0 ? figures.first / figures.second : 0.0);
}

// The same work through MuPDF directly, in this process: the floor our layer adds to.
class PlainMuPDF {
public:
    explicit PlainMuPDF(const QByteArray& bytes) : m_bytes(bytes) {
        m_ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
        fz_register_document_handlers(m_ctx);
    }
    ~PlainMuPDF() {
        pdf_drop_document(m_ctx, m_doc);
        fz_drop_context(m_ctx);
    }
    void open(const char* password) {
        pdf_drop_document(m_ctx, m_doc);
        m_doc = nullptr;
        fz_buffer* buffer = fz_new_buffer_from_shared_data(
            m_ctx, reinterpret_cast<const unsigned char*>(m_bytes.constData()), size_t(m_bytes.size()));
        fz_stream* stream = fz_open_buffer(m_ctx, buffer);
        m_doc = pdf_open_document_with_stream(m_ctx, stream);
        fz_drop_stream(m_ctx, stream);
        fz_drop_buffer(m_ctx, buffer);
        if (pdf_needs_password(m_ctx, m_doc))
            pdf_authenticate_password(m_ctx, m_doc, password);
    }
    void render(int index, double scale) {
        fz_page* page = fz_load_page(m_ctx, reinterpret_cast<fz_document*>(m_doc), index);
        fz_pixmap* pixmap = fz_new_pixmap_from_page(m_ctx, page, fz_scale(float(scale), float(scale)),
                                                    fz_device_rgb(m_ctx), 0);
        fz_drop_pixmap(m_ctx, pixmap);
        fz_drop_page(m_ctx, page);
    }
    int pageCount() { return pdf_count_pages(m_ctx, m_doc); }
    // How many objects the file keeps in object streams.
    int packedObjects() {
        int packed = 0;
        for (int i = 1; i < pdf_xref_len(m_ctx, m_doc); ++i)
            packed += pdf_get_xref_entry(m_ctx, m_doc, i)->type == 'o' ? 1 : 0;
        return packed;
    }
    // The bare write; with `readBack`, the written bytes are opened again and every page loaded, the work
    // the layer's save adds to the write.
    qsizetype save(bool readBack, const char* password) {
        pdf_write_options opts = pdf_default_write_options;
        opts.do_garbage = 1;
        opts.do_compress = 1;
        opts.do_compress_images = 1;
        opts.do_compress_fonts = 1;
        fz_buffer* buffer = fz_new_buffer(m_ctx, 64 * 1024);
        fz_output* out = fz_new_output_with_buffer(m_ctx, buffer);
        pdf_write_document(m_ctx, m_doc, out, &opts);
        fz_close_output(m_ctx, out);
        fz_drop_output(m_ctx, out);
        const qsizetype size = qsizetype(fz_buffer_storage(m_ctx, buffer, nullptr));
        if (readBack) {
            fz_stream* stream = fz_open_buffer(m_ctx, buffer);
            pdf_document* copy = pdf_open_document_with_stream(m_ctx, stream);
            fz_drop_stream(m_ctx, stream);
            if (pdf_needs_password(m_ctx, copy))
                pdf_authenticate_password(m_ctx, copy, password);
            pdf_load_page_tree(m_ctx, copy);
            const int pages = pdf_count_pages(m_ctx, copy);
            for (int i = 0; i < pages; ++i)
                fz_drop_page(m_ctx, fz_load_page(m_ctx, reinterpret_cast<fz_document*>(copy), i));
            pdf_drop_page_tree(m_ctx, copy);
            pdf_drop_document(m_ctx, copy);
        }
        fz_drop_buffer(m_ctx, buffer);
        return size;
    }

private:
    QByteArray m_bytes;
    fz_context* m_ctx = nullptr;
    pdf_document* m_doc = nullptr;
};

qsizetype fileSize(const QString& path) {
    return QFileInfo(path).size();
}

void benchmark(const QString& path, const QString& password, QTemporaryDir& dir) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        std::printf("%s cannot be read\n\n", qPrintable(path));
        return;
    }
    const QByteArray file = in.readAll();
    const QByteArray pwUtf8 = password.toUtf8();
    std::shared_ptr<Document> doc;
    PlainMuPDF plain(file);
    const auto open = sideBySide(
        [&] {
            doc = Document::open(file).value();
            if (doc->isLocked())
                doc->authenticate(password);
            return doc->render(0, kDpi150).ok();
        },
        [&] {
            plain.open(pwUtf8.constData());
            plain.render(0, kDpi150);
            return true;
        },
        kOpenRounds);
    const int pages = doc->pageCount();
    const int rendered = std::min(pages, kRendered);
    const QStringList pw = password.isEmpty() ? QStringList() : QStringList{"-p", password};
    const bool withMutool = !QStandardPaths::findExecutable("mutool").isEmpty();
    const int packedObjects = plain.packedObjects();
    std::printf("%s: %d pages, %lld bytes, %s; per-page figures over %d pages; medians of %d alternating "
                "runs (%d for opening)\n",
                qPrintable(QFileInfo(path).fileName()), pages, file.size(),
                packedObjects ? qPrintable(QString("%1 objects in object streams").arg(packedObjects))
                              : "no object streams",
                rendered, kRounds, kOpenRounds);
    header();
    row("in process: open to first page (150 dpi) / plain MuPDF", open);

    auto everyPage = [&](double scale) {
        return sideBySide(
            [&] {
                for (int i = 0; i < rendered; ++i)
                    doc->render(i, scale);
                return true;
            },
            [&] {
                for (int i = 0; i < rendered; ++i)
                    plain.render(i, scale);
                return true;
            });
    };
    row("in process: render per page (150 dpi) / plain MuPDF", everyPage(kDpi150), rendered);
    const double thumbScale = kThumbWidth / doc->geometry(0).value().displaySize().width();
    row("in process: thumbnail per page (120 px) / plain MuPDF", everyPage(thumbScale), rendered);

    qsizetype ours = 0, plainSize = 0;
    QString failure;
    auto checkedSave = [&] {
        auto saved = doc->save();
        if (!saved)
            failure = saved.error().message;
        ours = saved ? saved.value().size() : 0;
        return saved.ok();
    };
    row("in process: checked save / MuPDF bare write",
        sideBySide(checkedSave, [&] { return (plainSize = plain.save(false, pwUtf8.constData())) > 0; }));
    row("in process: checked save / MuPDF write + read-back",
        sideBySide(checkedSave, [&] { return plain.save(true, pwUtf8.constData()) > 0; }));
    // What `mutool clean -gz` does, without a process on either side: from the file's bytes to the copy's.
    row("in process: open + checked save / MuPDF open + bare write",
        sideBySide(
            [&] {
                auto opened = Document::open(file);
                if (!opened)
                    return false;
                if (opened.value()->isLocked())
                    opened.value()->authenticate(password);
                auto saved = opened.value()->save();
                return saved.ok();
            },
            [&] {
                plain.open(pwUtf8.constData());
                return plain.save(false, pwUtf8.constData()) > 0;
            }));
    if (!failure.isEmpty())
        std::printf("zepla's save failed: %s\n", qPrintable(failure));
    std::printf("in process: saved size: original %lld, zepla %lld, plain MuPDF write %lld\n", file.size(),
                ours, plainSize);

    // The three as processes, each reading the file and writing its copy: Zepla's save with its read-back
    // beside mutool's and qpdf's bare rewrites.
    const QString cleaned = dir.filePath("clean.pdf");
    const QString ourCopy = dir.filePath("ours.pdf");
    const QString packed = dir.filePath("qpdf.pdf");
    const QString saveTool = QCoreApplication::applicationDirPath() + "/bench_pdf_save_tool";
    if (!withMutool) {
        std::printf("\n");
        return;
    }
    const QStringList qpdfPassword =
        password.isEmpty() ? QStringList() : QStringList{"--password=" + password};
    const std::vector<double> process =
        alternating({[&] {
                         return tool(saveTool, {path, ourCopy});
                     },
                     [&] {
                         return tool("mutool", QStringList{"clean"} + pw + QStringList{"-gz", path, cleaned});
                     },
                     [&] {
                         return tool("qpdf", QStringList{"--object-streams=generate"} + qpdfPassword +
                                                 QStringList{path, packed});
                     }},
                    kProcessRounds);
    std::printf("as processes, medians of %d alternating runs after a warm-up:\n", kProcessRounds);
    std::printf("  %-44s %10s %8s %10s %8s\n", "", "time", "x mutool", "bytes", "x mutool");
    const qsizetype mutoolSize = fileSize(cleaned);
    auto processRow = [&](const char* what, double ms, const QString& copy) {
        const qsizetype size = fileSize(copy);
        std::printf("  %-44s %7.1f ms %7.2fx %10lld %7.2fx\n", what, ms,
                    ms > 0 && process[1] > 0 ? ms / process[1] : 0.0, size,
                    mutoolSize > 0 ? double(size) / double(mutoolSize) : 0.0);
    };
    processRow("zepla: open, save with read-back, write file", process[0], ourCopy);
    processRow("mutool clean -gz", process[1], cleaned);
    processRow("qpdf --object-streams=generate", process[2], packed);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QStringList paths = app.arguments().mid(1);
    if (paths.isEmpty()) {
        const QString generated = dir.filePath("generated.pdf");
        // Written through the layer once so every side reads a compressed, well-formed file.
        QFile out(generated);
        out.open(QIODevice::WriteOnly);
        out.write(Document::open(
                      fixtures::makeTextPdf(kGeneratedPages, "The quick brown fox jumps over the lazy dog"))
                      .value()
                      ->save()
                      .value());
        out.close();
        paths << generated;
        const QString longFile = dir.filePath("long.pdf");
        if (QFileInfo::exists(kManual))
            paths << kManual;
        if (QFileInfo::exists(kManual) && writeLongFile(kManual, longFile))
            paths << longFile;
        if (!QFileInfo::exists(kManual))
            std::printf("%s is missing (scripts/setup installs libtasn1-doc)\n", kManual);
    }
    const QString password = qEnvironmentVariable("ZEPLA_BENCH_PASSWORD");
    for (const QString& path : paths)
        benchmark(path, password, dir);
    if (QStandardPaths::findExecutable("mutool").isEmpty())
        std::printf("mutool is not installed: its column is empty\n");
    return 0;
}
