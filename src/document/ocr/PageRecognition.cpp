#include "PageRecognition.h"

#include "OCRTextLayer.h"
#include "core/WorkerPriority.h"
#include "document/pages/PDFPageRasterizer.h"

#include <QCoreApplication>
#include <QPointer>

namespace zepla::document {

std::optional<PageSnapshot> snapshotPage(const pdf::Document& document, int index) {
    auto list = document.displayList(index);
    if (!list || list.value().geometry().cropBox.isEmpty())
        return std::nullopt;
    const auto annotations = document.annotations(index);
    return PageSnapshot{index, document.page(index), list.value(),
                        !annotations || !annotations.value().empty()};
}

namespace {

// The rebuilt page made ready: the text layer's fonts and stream, and the picture unless the page's own is
// kept. A failure is told as the page's recognition error.
void prepareRebuild(const PageSnapshot& snapshot, const QImage& render, RecognizedPage& result) {
    const pdf::PageGeometry& geometry = snapshot.list.geometry();
    auto text = pdf::prepareInvisibleText(OCRTextLayer::runs(result.recognition.value(), result.imageToPage));
    if (!text) {
        result.recognition = ocr::Error{ocr::Error::Kind::Failed, text.error().message};
        return;
    }
    result.text = std::move(text.value());
    if (result.keepsPicture)
        return;
    // The render turned back the way page space runs, at the scale the rebuilt page keeps.
    const QSizeF kept = geometry.displaySize() * keptPictureScale / geometry.userUnit;
    const QImage picture =
        render.scaled(kept.toSize().expandedTo(QSize(1, 1)), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .transformed(QTransform().rotate(-geometry.rotation));
    result.picture = pdf::preparePicture(picture, geometry.cropBox);
}

} // namespace

RecognizedPage recognizePage(const PageSnapshot& snapshot, bool rebuild, const std::atomic<bool>* cancel) {
    RecognizedPage result{snapshot.index, snapshot.page, std::vector<ocr::Line>(), {}, false, {}, {}};
    const pdf::PageGeometry& geometry = snapshot.list.geometry();
    const double scale = PDFPageRasterizer::cappedScale(geometry.displaySize(), recognitionDpi / 72);
    // A scan keeps its own picture, so recognition is all its render is for, and that reads grey.
    result.keepsPicture = rebuild && !snapshot.hasAnnotations && snapshot.list.showsOnePicture();
    const QImage render =
        result.keepsPicture || !rebuild ? snapshot.list.renderGrey(scale) : snapshot.list.render(scale);
    if (render.isNull()) {
        result.recognition =
            ocr::Error{ocr::Error::Kind::Failed,
                       QStringLiteral("Page %1 could not be drawn for recognition.").arg(snapshot.index + 1)};
        return result;
    }
    result.recognition = ocr::recognize(render, qRound(scale * 72), ocr::defaultLanguages(), cancel);
    result.imageToPage = geometry.pageToImage(scale).inverted();
    if (rebuild && result.recognition.ok())
        prepareRebuild(snapshot, render, result);
    return result;
}

QThreadPool& recognitionPool() {
    // Owned by the application object, so that the workers and their engines end with it, while the engine's
    // library still has its own tables: ended by the static destructors at exit, they would reach tables
    // already torn down, and the process would crash on its way out.
    static QPointer<QThreadPool> pool;
    if (!pool) {
        pool = new QThreadPool(QCoreApplication::instance());
        pool->setMaxThreadCount(QThread::idealThreadCount());
    }
    return *pool;
}

void recognizeInBackground(const PageSnapshot& page, bool rebuild, std::shared_ptr<std::atomic<bool>> cancel,
                           QObject* context, std::function<void(RecognizedPage)> done) {
    QPointer<QObject> receiver(context);
    recognitionPool().start([page, rebuild, cancel = std::move(cancel), receiver, done = std::move(done)] {
        // As many workers as processors: at the UI thread's own priority they kept it waiting for one.
        platform::giveWayToTheInterface();
        RecognizedPage result = recognizePage(page, rebuild, cancel.get());
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
