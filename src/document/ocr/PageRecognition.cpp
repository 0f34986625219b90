#include "PageRecognition.h"

#include "document/pages/PDFPageRasterizer.h"

#include <QCoreApplication>
#include <QPointer>

namespace zepla::document {

std::optional<PageSnapshot> snapshotPage(const pdf::Document& document, int index) {
    auto list = document.displayList(index);
    if (!list || list.value().geometry().cropBox.isEmpty())
        return std::nullopt;
    return PageSnapshot{index, document.page(index), list.value()};
}

RecognizedPage recognizePage(const PageSnapshot& snapshot, bool keepPicture,
                             const std::atomic<bool>* cancel) {
    RecognizedPage result{snapshot.index, snapshot.page, {}, {}, {}, {}};
    const pdf::PageGeometry& geometry = snapshot.list.geometry();
    const double scale = PDFPageRasterizer::cappedScale(geometry.displaySize(), recognitionDpi / 72);
    const QImage render = snapshot.list.render(scale);
    if (render.isNull()) {
        result.recognition.error =
            ocr::Error{ocr::Error::Kind::Failed,
                       QStringLiteral("Page %1 could not be drawn for recognition.").arg(snapshot.index + 1)};
        return result;
    }
    result.recognition = ocr::recognize(render, qRound(scale * 72), ocr::defaultLanguages(), cancel);
    result.imageToPage = geometry.pageToImage(scale).inverted();
    if (keepPicture && result.recognition.ok()) {
        // The render turned back the way page space runs, at the scale the rebuilt page keeps.
        const QSizeF kept = geometry.displaySize() * keptPictureScale / geometry.userUnit;
        result.picture = render
                             .scaled(kept.toSize().expandedTo(QSize(1, 1)), Qt::IgnoreAspectRatio,
                                     Qt::SmoothTransformation)
                             .transformed(QTransform().rotate(-geometry.rotation));
        result.pictureArea = geometry.cropBox;
    }
    return result;
}

QThreadPool& recognitionPool() {
    // Made once the engine's library is loaded, so that at exit the workers and their engines end before
    // the library's own tables are torn down.
    [[maybe_unused]] static const bool loaded = ocr::isAvailable();
    static QThreadPool pool;
    pool.setMaxThreadCount(QThread::idealThreadCount());
    return pool;
}

void recognizeInBackground(const PageSnapshot& page, bool keepPicture,
                           std::shared_ptr<std::atomic<bool>> cancel, QObject* context,
                           std::function<void(RecognizedPage)> done) {
    QPointer<QObject> receiver(context);
    recognitionPool().start(
        [page, keepPicture, cancel = std::move(cancel), receiver, done = std::move(done)] {
            RecognizedPage result = recognizePage(page, keepPicture, cancel.get());
            // The application object lives on the UI thread for as long as there is one; `receiver` is only
            // looked at there.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [receiver, done, result = std::move(result)] {
                    if (receiver)
                        done(result);
                },
                Qt::QueuedConnection);
        });
}

} // namespace zepla::document
