// Links of a page through MuPDF: their hot zones in page space and where they lead.
#include "PdfDocumentImpl.h"

#include <cmath>

namespace zepla::pdf {

namespace {

// What one fz_link says, copied out of MuPDF's structures. Plain data, so it may live inside fz_try.
struct RawLink {
    fz_rect rect;
    const char* uri;
    bool external;
    int page;
    float x, y;
};

} // namespace

Result<std::vector<Link>> Document::links(int pageIndex) const {
    Access a(*this);
    Status status;
    LoadedPage page(a, pageIndex, &status);
    if (!status)
        return status.error();
    fz_document* doc = reinterpret_cast<fz_document*>(a.doc());
    fz_link* first = nullptr;
    status = guarded(a.ctx, [&] { first = fz_load_links(a.ctx, page.fz()); });
    if (!status)
        return status.error();

    const fz_matrix toPage = deviceToPageSpace(a.ctx, page.get()->obj);
    std::vector<Link> result;
    for (fz_link* link = first; link; link = link->next) {
        RawLink raw{link->rect, link->uri, false, -1, 0, 0};
        fz_matrix targetToPage = fz_identity;
        // A link whose target cannot be resolved is left out rather than failing the whole page.
        const Status resolved = guarded(a.ctx, [&] {
            if (!raw.uri)
                return;
            raw.external = fz_is_external_link(a.ctx, raw.uri);
            if (raw.external)
                return;
            const fz_location location = fz_resolve_link(a.ctx, doc, raw.uri, &raw.x, &raw.y);
            raw.page = fz_page_number_from_location(a.ctx, doc, location);
            if (raw.page >= 0)
                targetToPage = deviceToPageSpace(a.ctx, lookupPage(a.ctx, a.doc(), raw.page));
        });
        if (!resolved || !raw.uri || (!raw.external && raw.page < 0))
            continue;
        Link out;
        out.rect = toQRect(fz_transform_rect(raw.rect, toPage));
        if (raw.external) {
            out.uri = QString::fromUtf8(raw.uri);
        } else {
            out.pageIndex = raw.page;
            // MuPDF gives NaN for a coordinate the destination leaves open (a /Fit destination names none).
            if (!std::isnan(raw.x) && !std::isnan(raw.y)) {
                const fz_point p = fz_transform_point(fz_make_point(raw.x, raw.y), targetToPage);
                out.destination = QPointF(p.x, p.y);
            }
        }
        result.push_back(std::move(out));
    }
    fz_drop_link(a.ctx, first);
    return result;
}

} // namespace zepla::pdf
