#include "FirstPageWindow.h"

#include "document/PDFEditorDocument.h"
#include "pdf/PdfRender.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QThread>

using namespace zepla;

FirstPageWindow::FirstPageWindow(const QString& path) : m_label(new QLabel) {
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setMargin(24);
    setWidget(m_label);
    setWidgetResizable(true);
    setAlignment(Qt::AlignCenter);
    resize(760, 900);
    const QString name = QFileInfo(path).fileName();
    setWindowTitle(name.isEmpty() ? QStringLiteral("Zepla") : name + QStringLiteral(" — Zepla"));
    load(path);
}

void FirstPageWindow::load(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    if (path.isEmpty())
        return showMessage(tr("Give a PDF file to open: scripts/run FILE.pdf"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return showMessage(tr("“%1” could not be opened: %2").arg(name, file.errorString()));
    auto read = document::PDFEditorDocument::read(file.readAll());
    if (auto* error = std::get_if<document::DocumentError>(&read))
        return showMessage(tr("“%1” could not be opened. %2").arg(name, error->message));
    const auto& pdf = std::get<std::unique_ptr<document::PDFEditorDocument>>(read)->pdfDocument();
    if (pdf->isLocked())
        return showMessage(tr("“%1” is protected by a password.").arg(name));
    if (pdf->pageCount() == 0)
        return showMessage(tr("“%1” has no pages.").arg(name));
    auto list = pdf->displayList(0);
    if (!list)
        return showMessage(tr("The first page of “%1” could not be read. %2").arg(name, list.error().message));

    showMessage(tr("Drawing the first page…"));
    const double scale = 1.5 * devicePixelRatioF();
    QPointer<FirstPageWindow> self(this);
    QThread* worker = QThread::create([self, pages = list.value(), scale] {
        QImage image = pages.render(scale);
        QMetaObject::invokeMethod(qApp, [self, image, scale] {
            if (!self)
                return;
            if (image.isNull())
                return self->showMessage(tr("The first page could not be drawn."));
            QPixmap pixmap = QPixmap::fromImage(image);
            pixmap.setDevicePixelRatio(scale / 1.5);
            self->m_label->setPixmap(pixmap);
        });
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

void FirstPageWindow::showMessage(const QString& text) { m_label->setText(text); }
