#include "PdfRender.h"

#include "PdfDocumentImpl.h"

#include <cmath>

namespace zepla::pdf {

namespace {

// Counts what a page draws: pictures with their place, and any other mark. Clips and invisible text draw
// nothing.
struct DrawingCensus {
    fz_device base;
    int pictures;
    int otherMarks;
    fz_rect pictureArea;
};

DrawingCensus* census(fz_device* device) {
    return reinterpret_cast<DrawingCensus*>(device);
}

void countPicture(fz_context*, fz_device* device, fz_image*, fz_matrix ctm, float, fz_color_params) {
    census(device)->pictures++;
    census(device)->pictureArea = fz_transform_rect(fz_unit_rect, ctm);
}

void countPath(fz_context*, fz_device* device, const fz_path*, int, fz_matrix, fz_colorspace*, const float*,
               float, fz_color_params) {
    census(device)->otherMarks++;
}
void countStroke(fz_context*, fz_device* device, const fz_path*, const fz_stroke_state*, fz_matrix,
                 fz_colorspace*, const float*, float, fz_color_params) {
    census(device)->otherMarks++;
}
void countText(fz_context*, fz_device* device, const fz_text*, fz_matrix, fz_colorspace*, const float*, float,
               fz_color_params) {
    census(device)->otherMarks++;
}
void countStrokedText(fz_context*, fz_device* device, const fz_text*, const fz_stroke_state*, fz_matrix,
                      fz_colorspace*, const float*, float, fz_color_params) {
    census(device)->otherMarks++;
}
void countShade(fz_context*, fz_device* device, fz_shade*, fz_matrix, float, fz_color_params) {
    census(device)->otherMarks++;
}
void countMask(fz_context*, fz_device* device, fz_image*, fz_matrix, fz_colorspace*, const float*, float,
               fz_color_params) {
    census(device)->otherMarks++;
}

double area(const fz_rect& r) {
    return fz_is_empty_rect(r) ? 0 : double(r.x1 - r.x0) * double(r.y1 - r.y0);
}

} // namespace

fz_pixmap* whitePixmapOver(fz_context* ctx, const Pixels& pixels) {
    const bool grey = pixels.format == Pixels::Format::Grey;
    fz_pixmap* pixmap = fz_new_pixmap_with_data(
        ctx, grey ? fz_device_gray(ctx) : fz_device_rgb(ctx), pixels.width, pixels.height, nullptr,
        pixels.format == Pixels::Format::Rgba, pixels.stride, pixels.samples);
    fz_clear_pixmap_with_value(ctx, pixmap, 255);
    return pixmap;
}

DisplayList::DisplayList(fz_display_list* list, PageGeometry geometry)
    : m_list(list, [](fz_display_list* l) { fz_drop_display_list(threadContext(), l); }),
      m_geometry(std::move(geometry)) {}

bool DisplayList::renderInto(double scale, QPoint origin, const Pixels& into) const {
    if (!m_list || scale <= 0 || !into.samples || into.width < 1 || into.height < 1)
        return false;
    fz_context* ctx = threadContext();
    fz_display_list* list = m_list.get();
    fz_pixmap* pixmap = nullptr;
    fz_device* device = nullptr;
    const Status status = guarded(ctx, [&] {
        pixmap = whitePixmapOver(ctx, into);
        pixmap->x = origin.x();
        pixmap->y = origin.y();
        device = fz_new_draw_device(ctx, fz_scale(float(scale), float(scale)), pixmap);
        fz_run_display_list(ctx, list, device, fz_identity, fz_infinite_rect, nullptr);
        fz_close_device(ctx, device);
    });
    fz_drop_device(ctx, device);
    fz_drop_pixmap(ctx, pixmap);
    return bool(status);
}

bool DisplayList::showsOnePicture() const {
    if (!m_list)
        return false;
    fz_context* ctx = threadContext();
    fz_display_list* list = m_list.get();
    DrawingCensus* device = nullptr;
    fz_rect page = fz_empty_rect;
    const Status status = guarded(ctx, [&] {
        device = fz_new_derived_device(ctx, DrawingCensus);
        device->base.fill_image = countPicture;
        device->base.fill_path = countPath;
        device->base.stroke_path = countStroke;
        device->base.fill_text = countText;
        device->base.stroke_text = countStrokedText;
        device->base.fill_shade = countShade;
        device->base.fill_image_mask = countMask;
        page = fz_bound_display_list(ctx, list);
        fz_run_display_list(ctx, list, &device->base, fz_identity, fz_infinite_rect, nullptr);
        fz_close_device(ctx, &device->base);
    });
    const bool one = status && device->pictures == 1 && device->otherMarks == 0 &&
                     area(fz_intersect_rect(device->pictureArea, page)) >= 0.99 * area(page) &&
                     area(page) > 0;
    fz_drop_device(ctx, device ? &device->base : nullptr);
    return one;
}

Result<DisplayList> Document::displayList(int index) const {
    auto geometry = this->geometry(index);
    if (!geometry)
        return geometry.error();
    Access a(*this);
    Status status;
    LoadedPage page(a, index, &status);
    if (!status)
        return status.error();
    fz_display_list* list = nullptr;
    status = guarded(a.ctx, [&] { list = fz_new_display_list_from_page(a.ctx, page.fz()); });
    if (!status)
        return status.error();
    return DisplayList(list, geometry.value());
}

} // namespace zepla::pdf
