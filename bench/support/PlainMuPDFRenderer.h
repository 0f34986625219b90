// MuPDF called directly, in the benchmark's own process: the peer that our PDF layer's page drawing is
// measured beside, doing the same work (open the bytes, draw a page into an RGB pixmap at a scale).
#pragma once

#include <QByteArray>

#include <mupdf/fitz.h>

class PlainMuPDFRenderer {
public:
    explicit PlainMuPDFRenderer(const QByteArray& bytes) : m_bytes(bytes) {
        m_ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
        fz_register_document_handlers(m_ctx);
        fz_buffer* buffer = fz_new_buffer_from_shared_data(
            m_ctx, reinterpret_cast<const unsigned char*>(m_bytes.constData()), size_t(m_bytes.size()));
        fz_stream* stream = fz_open_buffer(m_ctx, buffer);
        m_doc = fz_open_document_with_stream(m_ctx, "application/pdf", stream);
        fz_drop_stream(m_ctx, stream);
        fz_drop_buffer(m_ctx, buffer);
    }
    ~PlainMuPDFRenderer() {
        fz_drop_document(m_ctx, m_doc);
        fz_drop_context(m_ctx);
    }
    PlainMuPDFRenderer(const PlainMuPDFRenderer&) = delete;
    PlainMuPDFRenderer& operator=(const PlainMuPDFRenderer&) = delete;

    int pageCount() const { return fz_count_pages(m_ctx, m_doc); }

    // The page drawn at the scale (pixels per point), without alpha; returns its width in pixels.
    int render(int index, double scale) const {
        fz_page* page = fz_load_page(m_ctx, m_doc, index);
        fz_pixmap* pixmap = fz_new_pixmap_from_page(m_ctx, page, fz_scale(float(scale), float(scale)),
                                                    fz_device_rgb(m_ctx), 0);
        const int width = fz_pixmap_width(m_ctx, pixmap);
        fz_drop_pixmap(m_ctx, pixmap);
        fz_drop_page(m_ctx, page);
        return width;
    }

private:
    QByteArray m_bytes;
    fz_context* m_ctx = nullptr;
    fz_document* m_doc = nullptr;
};
