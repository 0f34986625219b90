// Rasterising pages. A display list is recorded from the document on its owning thread and can then be
// drawn on any thread, any number of times, without touching the document.
#pragma once

#include "PdfTypes.h"

#include <QImage>
#include <QRect>

#include <memory>

struct fz_display_list;

namespace zepla::pdf {

class DisplayList {
public:
    DisplayList() = default;
    bool isNull() const { return !m_list; }
    const PageGeometry& geometry() const { return m_geometry; }

    // The page at `scale` pixels per point on white; `area` (in those pixels) limits the result to a part
    // of the page, for tiles. Thread-safe. A null image when out of memory or when the area is empty.
    QImage render(double scale, const QRect& area = {}) const;
    // The whole page at `scale` in shades of grey (Format_Grayscale8), drawn in grey from the start: for
    // readers of the page that need no colour. Thread-safe.
    QImage renderGrey(double scale) const;
    // The part of the page at `scale` whose top left pixel is `origin` (in the pixels of the whole page),
    // drawn on white into `into`, which it fills. Thread-safe. False when MuPDF cannot draw it.
    bool renderInto(double scale, QPoint origin, const Pixels& into) const;
    // Whether the page shows one picture that fills it and nothing else (a scan). Thread-safe.
    bool showsOnePicture() const;

private:
    friend class Document;
    QImage draw(double scale, const QRect& area, QImage::Format format) const;
    DisplayList(fz_display_list* list, PageGeometry geometry); // adopts the reference
    std::shared_ptr<fz_display_list> m_list;
    PageGeometry m_geometry;
};

} // namespace zepla::pdf
