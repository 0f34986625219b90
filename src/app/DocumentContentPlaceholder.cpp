#include "app/DocumentContentPlaceholder.h"

#include "pdf/PdfRender.h"
#include "ui/landing/LandingView.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QThread>

namespace zepla::app {

DocumentContentPlaceholder::DocumentContentPlaceholder(document::PDFEditorDocument& document,
                                                       platform::UndoManager&, const QString&,
                                                       QWidget* parent)
    : QStackedWidget(parent), m_document(document), m_message(new QLabel), m_page(new QLabel),
      m_landing(new ui::LandingView([this](const QString& path) { emit openInPlaceRequested(path); })) {
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_page->setAlignment(Qt::AlignCenter);
    auto* scroll = new QScrollArea;
    scroll->setWidget(m_page);
    scroll->setWidgetResizable(true);
    addWidget(m_message);
    addWidget(scroll);
    addWidget(m_landing);
    connect(&m_document, &document::PDFEditorDocument::changed, this, &DocumentContentPlaceholder::showState);
    showState();
}

void DocumentContentPlaceholder::setFilePath(const QString& path) {
    m_filePath = path;
    showState();
}

void DocumentContentPlaceholder::showState() {
    const auto& pdf = m_document.pdfDocument();
    if (pdf->isLocked()) {
        const QString name = QFileInfo(m_filePath).fileName();
        m_message->setText(name.isEmpty() ? tr("This PDF is password-protected.")
                                          : tr("“%1” is password-protected.").arg(name));
        setCurrentWidget(m_message);
    } else if (pdf->pageCount() > 0) {
        setCurrentIndex(1);
        renderFirstPage();
    } else {
        setCurrentWidget(m_landing);
    }
}

void DocumentContentPlaceholder::renderFirstPage() {
    auto list = m_document.pdfDocument()->displayList(0);
    if (!list) {
        m_page->setText(tr("The first page could not be read. %1").arg(list.error().message));
        return;
    }
    const double scale = 1.5 * devicePixelRatioF();
    QPointer<QLabel> page(m_page);
    QThread* worker = QThread::create([page, pages = list.value(), scale] {
        const QImage image = pages.render(scale);
        QMetaObject::invokeMethod(qApp, [page, image, scale] {
            if (!page)
                return;
            if (image.isNull())
                return page->setText(tr("The first page could not be drawn."));
            QPixmap pixmap = QPixmap::fromImage(image);
            pixmap.setDevicePixelRatio(scale / 1.5);
            page->setPixmap(pixmap);
        });
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

} // namespace zepla::app
