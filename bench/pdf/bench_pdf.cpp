// Figures for the PDF layer beside the floor it adds to: the same work done by plain MuPDF calls in this
// process, and by mutool as a process. Any PDF on the command line; by default a generated 1,000-page
// document and a real manual. Open to first page, render per page at 150 dpi, thumbnail per page, save
// (time and size beside the original's, MuPDF's own write and qpdf with object streams).
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

using namespace zepla::pdf;

namespace {

constexpr int kGeneratedPages = 1000;
constexpr int kRendered = 100; // at most this many pages rendered for the per-page figures
constexpr double kDpi150 = 150.0 / 72.0;
constexpr int kThumbWidth = 120;
const char* const kManual = "/usr/share/doc/libtasn1-doc/libtasn1.pdf";

double millis(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

// Runs a tool and returns its time, or -1 when it is missing or fails. mutool draw without -o renders without
// writing images, like the other columns.
double tool(const QString& program, const QStringList& args) {
    if (QStandardPaths::findExecutable(program).isEmpty())
        return -1;
    bool ok = false;
    const double time = millis([&] {
        QProcess p;
        p.start(program, args);
        ok = p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() <= 3;
    });
    return ok ? time : -1;
}

void header() {
    std::printf("%-34s %12s %12s %12s %9s\n", "", "zepla", "plain MuPDF", "mutool", "ours/MuPDF");
}

void row(const char* what, double ours, double plain, double mutool) {
    auto cell = [](double v) {
        if (v < 0)
            std::printf(" %12s", "-");
        else
            std::printf(" %9.3f ms", v);
    };
    std::printf("%-34s", what);
    cell(ours);
    cell(plain);
    cell(mutool);
    std::printf(" %8.2fx\n", plain > 0 ? ours / plain : 0.0);
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
    qsizetype save() {
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
    std::shared_ptr<Document> doc;
    const double open = millis([&] {
        doc = Document::open(file).value();
        if (doc->isLocked())
            doc->authenticate(password);
        doc->render(0, kDpi150);
    });
    const int pages = doc->pageCount();
    const int rendered = std::min(pages, kRendered);
    const QString range = QStringLiteral("1-%1").arg(rendered);
    const QStringList pw = password.isEmpty() ? QStringList() : QStringList{"-p", password};
    std::printf("%s: %d pages, %lld bytes; per-page figures over %d pages\n",
                qPrintable(QFileInfo(path).fileName()), pages, file.size(), rendered);
    header();

    PlainMuPDF plain(file);
    const QByteArray pwUtf8 = password.toUtf8();
    const double plainOpen = millis([&] {
        plain.open(pwUtf8.constData());
        plain.render(0, kDpi150);
    });
    row("open to first page (150 dpi)", open, plainOpen,
        tool("mutool", QStringList{"draw", "-q"} + pw + QStringList{"-r", "150", path, "1"}));

    const double render = millis([&] {
        for (int i = 0; i < rendered; ++i)
            doc->render(i, kDpi150);
    });
    const double plainRender = millis([&] {
        for (int i = 0; i < rendered; ++i)
            plain.render(i, kDpi150);
    });
    const double mutoolRender =
        tool("mutool", QStringList{"draw", "-q"} + pw + QStringList{"-r", "150", path, range});
    row("render per page (150 dpi)", render / rendered, plainRender / rendered,
        mutoolRender < 0 ? -1 : mutoolRender / rendered);

    const double thumbScale = kThumbWidth / doc->geometry(0).value().displaySize().width();
    const double thumbs = millis([&] {
        for (int i = 0; i < rendered; ++i)
            doc->render(i, thumbScale);
    });
    const double plainThumbs = millis([&] {
        for (int i = 0; i < rendered; ++i)
            plain.render(i, thumbScale);
    });
    const double mutoolThumbs =
        tool("mutool",
             QStringList{"draw", "-q"} + pw + QStringList{"-w", QString::number(kThumbWidth), path, range});
    row("thumbnail per page (120 px wide)", thumbs / rendered, plainThumbs / rendered,
        mutoolThumbs < 0 ? -1 : mutoolThumbs / rendered);

    qsizetype ours = 0;
    QString failure;
    const double save = millis([&] {
        auto saved = doc->save();
        if (saved)
            ours = saved.value().size();
        else
            failure = saved.error().message;
    });
    qsizetype plainSize = 0;
    const double plainSave = millis([&] { plainSize = plain.save(); });
    const QString cleaned = dir.filePath("clean.pdf");
    const double mutoolSave = tool("mutool", QStringList{"clean"} + pw + QStringList{"-gz", path, cleaned});
    row("save (full rewrite, verified)", save, plainSave, mutoolSave);
    const QString packed = dir.filePath("qpdf.pdf");
    const double qpdf =
        tool("qpdf", QStringList{"--object-streams=generate"} +
                         (password.isEmpty() ? QStringList() : QStringList{"--password=" + password}) +
                         QStringList{path, packed});
    if (!failure.isEmpty())
        std::printf("zepla's save failed: %s\n", qPrintable(failure));
    std::printf("saved size: original %lld, zepla %lld (%.2fx), plain MuPDF %lld, mutool clean %lld, "
                "qpdf --object-streams=generate %lld in %.1f ms\n\n",
                file.size(), ours, file.isEmpty() ? 0.0 : double(ours) / double(file.size()), plainSize,
                mutoolSave < 0 ? -1 : fileSize(cleaned), qpdf < 0 ? -1 : fileSize(packed), qpdf);
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
        if (QFileInfo::exists(kManual))
            paths << kManual;
        else
            std::printf("%s is missing (scripts/setup installs libtasn1-doc)\n", kManual);
    }
    const QString password = qEnvironmentVariable("ZEPLA_BENCH_PASSWORD");
    for (const QString& path : paths)
        benchmark(path, password, dir);
    if (QStandardPaths::findExecutable("mutool").isEmpty())
        std::printf("mutool is not installed: its column is empty\n");
    return 0;
}
