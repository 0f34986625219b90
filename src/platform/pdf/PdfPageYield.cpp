// What a page's content yields when it is drawn: its characters and its drawing operations, counted by a
// device that draws nothing. Two pages that yield the same show the same text and the same drawing, however
// their streams are stored.
#include "PdfDocumentImpl.h"

#include <zlib.h>

namespace zepla::pdf {

namespace {

struct YieldDevice {
    fz_device base; // first: MuPDF hands the device back as this
    PageYield yield;
};

PageYield& yieldOf(fz_device* device) {
    return reinterpret_cast<YieldDevice*>(device)->yield;
}

void countText(fz_context*, fz_device* device, const fz_text* text) {
    PageYield& y = yieldOf(device);
    for (const fz_text_span* span = text->head; span; span = span->next)
        for (int i = 0; i < span->len; ++i) {
            const int ucs = span->items[i].ucs;
            y.characters++;
            y.textChecksum = crc32(y.textChecksum, reinterpret_cast<const Bytef*>(&ucs), sizeof ucs);
        }
}

void countDrawing(fz_device* device) {
    yieldOf(device).drawings++;
}

} // namespace

std::optional<PageYield> pageYield(const Access& a, int index) {
    Status status;
    LoadedPage page(a, index, &status);
    if (!status)
        return std::nullopt;
    fz_device* device = nullptr;
    PageYield yield;
    status = guarded(a.ctx, [&] {
        device = fz_new_device_of_size(a.ctx, sizeof(YieldDevice));
        yieldOf(device).textChecksum = crc32(0, nullptr, 0);
        device->fill_path = [](fz_context*, fz_device* d, const fz_path*, int, fz_matrix, fz_colorspace*,
                               const float*, float, fz_color_params) { countDrawing(d); };
        device->stroke_path = [](fz_context*, fz_device* d, const fz_path*, const fz_stroke_state*, fz_matrix,
                                 fz_colorspace*, const float*, float, fz_color_params) { countDrawing(d); };
        device->fill_text = [](fz_context* ctx, fz_device* d, const fz_text* text, fz_matrix, fz_colorspace*,
                               const float*, float, fz_color_params) { countText(ctx, d, text); };
        device->stroke_text = [](fz_context* ctx, fz_device* d, const fz_text* text, const fz_stroke_state*,
                                 fz_matrix, fz_colorspace*, const float*, float,
                                 fz_color_params) { countText(ctx, d, text); };
        device->clip_text = [](fz_context* ctx, fz_device* d, const fz_text* text, fz_matrix, fz_rect) {
            countText(ctx, d, text);
        };
        device->ignore_text = [](fz_context* ctx, fz_device* d, const fz_text* text, fz_matrix) {
            countText(ctx, d, text);
        };
        device->fill_shade = [](fz_context*, fz_device* d, fz_shade*, fz_matrix, float, fz_color_params) {
            countDrawing(d);
        };
        device->fill_image = [](fz_context*, fz_device* d, fz_image*, fz_matrix, float, fz_color_params) {
            countDrawing(d);
        };
        device->fill_image_mask = [](fz_context*, fz_device* d, fz_image*, fz_matrix, fz_colorspace*,
                                     const float*, float, fz_color_params) { countDrawing(d); };
        pdf_run_page_contents(a.ctx, page.get(), device, fz_identity, nullptr);
        fz_close_device(a.ctx, device);
        yield = yieldOf(device);
    });
    fz_drop_device(a.ctx, device);
    if (!status)
        return std::nullopt;
    return yield;
}

} // namespace zepla::pdf
