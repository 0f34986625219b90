// A document window's worth of objects around one sidebar, shared by the sidebar's widget tests.
#pragma once

#include "core/UndoManager.h"
#include "document/PDFEditorDocument.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "pdfview/view/PDFView.h"
#include "ui/sidebar/ThumbnailSidebar.h"

#include <QHBoxLayout>
#include <QTest>

struct SidebarWindow {
    // With a PDF view beside the sidebar when asked for; else the sidebar stands alone.
    explicit SidebarWindow(const QByteArray& pdf, QSize size = {240, 700}, bool withPdfView = false) {
        auto read = zepla::document::PDFEditorDocument::read(pdf);
        document = std::move(read).value();
        sidebar = new zepla::ui::ThumbnailSidebar(document.get(), &coordinator, &undo, &window);
        auto* row = new QHBoxLayout(&window);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(sidebar);
        if (withPdfView) {
            auto* view = new zepla::pdfview::PDFView(&window);
            view->setDocument(document->pdfDocument());
            coordinator.setPdfView(view);
            row->addWidget(view, 1);
        } else {
            row->addStretch(1);
        }
        window.resize(size);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("window not exposed");
    }

    // The text of every page, trimmed.
    static QStringList textsOf(const zepla::pdf::Document& pdf) {
        QStringList result;
        for (int i = 0; i < pdf.pageCount(); ++i)
            result.append(pdf.pageText(i).value().trimmed());
        return result;
    }
    QStringList texts() const { return textsOf(*document->pdfDocument()); }

    std::unique_ptr<zepla::document::PDFEditorDocument> document;
    zepla::pdfview::PDFViewCoordinator coordinator;
    zepla::platform::UndoManager undo;
    QWidget window;
    zepla::ui::ThumbnailSidebar* sidebar;
};
