// Previous and next page, and where the reader is ("3 of 12"), left out while there is no page to show.
#pragma once

#include <QWidget>

class QLabel;

namespace zepla::pdfview {
class PDFViewCoordinator;
}

namespace zepla::ui {

class PageGroup : public QWidget {
    Q_OBJECT

public:
    PageGroup(pdfview::PDFViewCoordinator& coordinator, QWidget* parent = nullptr);

    QLabel* indicator() const { return m_indicator; }

private:
    QLabel* m_indicator;
};

} // namespace zepla::ui
