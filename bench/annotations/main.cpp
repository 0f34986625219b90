// Figures for the annotation engine: how long each mouse move of a 2,000-point ink stroke takes to handle
// and draw in the annotating view, and how long the appearances of 500 annotations of one page take to
// make and write, beside MuPDF synthesising appearances for the same annotations (pdf_update_page).
#include "PdfFixtures.h"
#include "annotations/AppearanceStream.h"
#include "annotations/FreeTextAnnotation.h"
#include "annotations/InkAnnotation.h"
#include "annotations/LineAnnotation.h"
#include "annotations/NoteAnnotation.h"
#include "annotations/OutlineShapeAnnotation.h"
#include "annotations/RedactionMarkerAnnotation.h"
#include "pdfview/annotating/AnnotatingPDFView.h"

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

using namespace zepla;
using namespace zepla::annotations;

namespace {

constexpr int kInkPoints = 2000;
constexpr int kAnnotations = 500;
constexpr int kRuns = 5;

double millis(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

void send(QWidget* target, QEvent::Type type, const QPointF& at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, target->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

// Each move handled and painted before the next, as a display refresh would show it.
void inkFigures() {
    auto document = pdf::Document::open(fixtures::makeTextPdf(1)).value();
    pdfview::AnnotatingPDFView view;
    ToolState tools;
    tools.setTool(AnnotationTool::ink);
    tools.setLineWidth(2);
    view.setToolState(&tools);
    view.resize(900, 1100);
    view.setDocument(document);
    view.show();
    QApplication::processEvents();
    QWidget* viewport = view.viewport();
    const QRectF page = view.pageRectInView(0);
    auto pointAt = [&](int i) {
        const double t = double(i) / kInkPoints;
        return QPointF(page.left() + page.width() * (0.1 + 0.8 * t),
                       page.center().y() + std::sin(t * 40) * page.height() * 0.3);
    };
    send(viewport, QEvent::MouseButtonPress, pointAt(0), Qt::LeftButton);
    double longest = 0, total = 0;
    int longestAt = 0;
    std::vector<double> times;
    for (int i = 1; i < kInkPoints; ++i) {
        const double ms = millis([&] {
            send(viewport, QEvent::MouseMove, pointAt(i), Qt::LeftButton);
            viewport->repaint();
        });
        if (ms > longest) {
            longest = ms;
            longestAt = i;
        }
        total += ms;
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    const int over = int(std::count_if(times.begin(), times.end(), [](double t) { return t > 16; }));
    const double release =
        millis([&] { send(viewport, QEvent::MouseButtonRelease, pointAt(kInkPoints - 1), {}); });
    std::printf(
        "ink stroke of %d points, per mouse move (handled and painted): longest %.2f ms (move %d), "
        "99th percentile %.2f ms, mean %.2f ms, %d moves over 16 ms (goal: none); release writing the "
        "stroke: %.2f ms\n",
        kInkPoints, longest, longestAt, times[times.size() * 99 / 100], total / (kInkPoints - 1), over,
        release);
}

// 500 annotations over a page: rectangles, ovals, arrows, ink strokes, free text, notes and redaction marks.
std::vector<std::shared_ptr<Annotation>> pageOfAnnotations() {
    std::vector<std::shared_ptr<Annotation>> all;
    for (int i = 0; i < kAnnotations; ++i) {
        const QRectF cell(20 + (i % 20) * 28, 20 + (i / 20) * 30, 26, 26);
        const QColor colour = QColor::fromHsv((i * 37) % 360, 200, 200);
        std::shared_ptr<Annotation> a;
        switch (i % 7) {
        case 0:
            a = std::make_shared<RectangleAnnotation>();
            break;
        case 1:
            a = std::make_shared<OvalAnnotation>();
            break;
        case 2: {
            auto line = std::make_shared<LineAnnotation>();
            line->setLineStyles(LineEndStyle::none, LineEndStyle::closedArrow);
            line->setPoints(cell.topLeft(), cell.bottomRight());
            a = line;
            break;
        }
        case 3: {
            QList<QPointF> points;
            for (int p = 0; p < 40; ++p)
                points.append(cell.topLeft() + QPointF(p * 0.6, 13 + 10 * std::sin(p * 0.4)));
            a = InkAnnotation::through(points, colour, 1.5);
            break;
        }
        case 4: {
            auto text = std::make_shared<FreeTextAnnotation>();
            text->contents = QStringLiteral("Note %1").arg(i);
            a = text;
            break;
        }
        case 5: {
            auto note = std::make_shared<NoteAnnotation>();
            note->contents = QStringLiteral("Sticky %1").arg(i);
            a = note;
            break;
        }
        default:
            a = std::make_shared<RedactionMarkerAnnotation>();
            break;
        }
        if (i % 7 != 2 && i % 7 != 3)
            a->bounds = cell;
        a->color = colour;
        all.push_back(a);
    }
    return all;
}

// MuPDF making the same annotations through its own API (which leaves them without appearances) and then
// synthesising their appearances: only pdf_update_page is timed.
double mupdfSynthesis(const std::vector<std::shared_ptr<Annotation>>& all, const QByteArray& blankPage) {
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    fz_register_document_handlers(ctx);
    double ms = -1;
    fz_buffer* buffer = nullptr;
    fz_stream* stream = nullptr;
    pdf_document* doc = nullptr;
    pdf_page* page = nullptr;
    std::vector<QByteArray> texts;
    for (const auto& a : all)
        texts.push_back(a->contents.toUtf8());
    // MuPDF's annotation calls take device space: y downward from the top of the 792-point page.
    auto flip = [](const QRectF& r) {
        return fz_make_rect(float(r.left()), float(792 - r.bottom()), float(r.right()), float(792 - r.top()));
    };
    auto point = [](const QPointF& p) { return fz_make_point(float(p.x()), float(792 - p.y())); };
    fz_try(ctx) {
        buffer = fz_new_buffer_from_copied_data(ctx, reinterpret_cast<const unsigned char*>(blankPage.data()),
                                                size_t(blankPage.size()));
        stream = fz_open_buffer(ctx, buffer);
        doc = pdf_open_document_with_stream(ctx, stream);
        page = pdf_load_page(ctx, doc, 0);
        for (std::size_t i = 0; i < all.size(); ++i) {
            const Annotation& a = *all[i];
            const float colour[3] = {float(a.color.redF()), float(a.color.greenF()), float(a.color.blueF())};
            pdf_annot* annot = nullptr;
            if (auto* line = dynamic_cast<const LineAnnotation*>(&a)) {
                annot = pdf_create_annot(ctx, page, PDF_ANNOT_LINE);
                pdf_set_annot_line(ctx, annot, point(line->startPoint()), point(line->endPoint()));
                pdf_set_annot_line_ending_styles(ctx, annot, PDF_ANNOT_LE_NONE, PDF_ANNOT_LE_CLOSED_ARROW);
            } else if (auto* ink = dynamic_cast<const InkAnnotation*>(&a)) {
                annot = pdf_create_annot(ctx, page, PDF_ANNOT_INK);
                std::vector<fz_point> points;
                for (const QPointF& p : ink->points())
                    points.push_back(point(p));
                pdf_add_annot_ink_list(ctx, annot, int(points.size()), points.data());
            } else if (dynamic_cast<const FreeTextAnnotation*>(&a)) {
                annot = pdf_create_annot(ctx, page, PDF_ANNOT_FREE_TEXT);
                pdf_set_annot_rect(ctx, annot, flip(a.bounds));
                pdf_set_annot_default_appearance(ctx, annot, "Helv", 16, 3, colour);
            } else if (dynamic_cast<const NoteAnnotation*>(&a)) {
                annot = pdf_create_annot(ctx, page, PDF_ANNOT_TEXT);
                pdf_set_annot_rect(ctx, annot, flip(a.bounds));
            } else {
                annot = pdf_create_annot(ctx, page,
                                         a.subtype() == "Circle" ? PDF_ANNOT_CIRCLE : PDF_ANNOT_SQUARE);
                pdf_set_annot_rect(ctx, annot, flip(a.bounds));
            }
            pdf_set_annot_color(ctx, annot, 3, colour);
            if (!texts[i].isEmpty())
                pdf_set_annot_contents(ctx, annot, texts[i].constData());
            pdf_drop_annot(ctx, annot);
        }
        QElapsedTimer t;
        t.start();
        pdf_update_page(ctx, page);
        ms = double(t.nsecsElapsed()) / 1e6;
        int withAppearance = 0, count = 0;
        for (pdf_annot* a = pdf_first_annot(ctx, page); a; a = pdf_next_annot(ctx, a)) {
            ++count;
            withAppearance += pdf_dict_getp(ctx, pdf_annot_obj(ctx, a), "AP/N") != nullptr;
        }
        if (withAppearance != count)
            std::printf("MuPDF gave only %d of %d annotations an appearance\n", withAppearance, count);
    }
    fz_always(ctx) {
        fz_drop_page(ctx, reinterpret_cast<fz_page*>(page));
        pdf_drop_document(ctx, doc);
        fz_drop_stream(ctx, stream);
        fz_drop_buffer(ctx, buffer);
    }
    fz_catch(ctx) {
        std::fprintf(stderr, "MuPDF failed: %s\n", fz_caught_message(ctx));
    }
    fz_drop_context(ctx);
    return ms;
}

void appearanceFigures() {
    double build = 1e9, write = 1e9, mupdf = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        auto all = pageOfAnnotations();
        auto document = pdf::Document::open(fixtures::makeTextPdf(1)).value();
        for (const auto& a : all)
            document->createAnnotation(0, a->entries(), {});
        const auto handles = document->annotations(0).value();
        // Making the drawing lists and their content streams.
        build = std::min(build, millis([&] {
                             for (const auto& a : all)
                                 appearanceStream(a->appearance());
                         }));
        // The same, written into the file as appearance streams.
        write = std::min(write, millis([&] {
                             for (std::size_t i = 0; i < all.size(); ++i) {
                                 const pdf::AppearanceStates states = all[i]->appearanceStates();
                                 document->updateAnnotation(handles[i].handle, {}, &states);
                             }
                         }));
        mupdf = std::min(mupdf, mupdfSynthesis(all, fixtures::makeTextPdf(1)));
    }
    std::printf("appearances of %d annotations on one page (best of %d): drawing lists and content streams "
                "%.1f ms; written into the file %.1f ms; MuPDF's synthesis (pdf_update_page) %.1f ms; "
                "ratio %.2fx (goal: under 1.5x)\n",
                kAnnotations, kRuns, build, write, mupdf, write / mupdf);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    appearanceFigures();
    inkFigures();
    return 0;
}
