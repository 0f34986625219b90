// Zoom out, zoom to fit and zoom in, in steps of the PDF view's scale; nothing happens without a view.
#pragma once

#include <QWidget>

namespace zepla::pdfview {
class PDFViewCoordinator;
}

namespace zepla::ui {

class ZoomGroup : public QWidget {
    Q_OBJECT

public:
    ZoomGroup(pdfview::PDFViewCoordinator& coordinator, QWidget* parent = nullptr);
};

} // namespace zepla::ui
