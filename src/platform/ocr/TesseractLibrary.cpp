#include "TesseractLibrary.h"

#include <QLibrary>

#include <mutex>

namespace zepla::ocr {

namespace {

struct Loaded {
    TesseractLibrary functions{};
    QString error;
};

Loaded load() {
    Loaded loaded;
    static QLibrary library(QStringLiteral("tesseract"), 5);
    if (!library.load()) {
        loaded.error = QStringLiteral("Text recognition is not available: the Tesseract library could not be "
                                      "loaded (%1).")
                           .arg(library.errorString());
        return loaded;
    }
    bool complete = true;
    auto resolve = [&](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
        complete = complete && function;
    };
    TesseractLibrary& f = loaded.functions;
    resolve(f.create, "TessBaseAPICreate");
    resolve(f.destroy, "TessBaseAPIDelete");
    resolve(f.init, "TessBaseAPIInit2");
    resolve(f.setPageSegMode, "TessBaseAPISetPageSegMode");
    resolve(f.setImage, "TessBaseAPISetImage");
    resolve(f.setSourceResolution, "TessBaseAPISetSourceResolution");
    resolve(f.recognize, "TessBaseAPIRecognize");
    resolve(f.iterator, "TessBaseAPIGetIterator");
    resolve(f.clear, "TessBaseAPIClear");
    resolve(f.pageIterator, "TessResultIteratorGetPageIterator");
    resolve(f.next, "TessResultIteratorNext");
    resolve(f.text, "TessResultIteratorGetUTF8Text");
    resolve(f.deleteIterator, "TessResultIteratorDelete");
    resolve(f.isAtBeginningOf, "TessPageIteratorIsAtBeginningOf");
    resolve(f.boundingBox, "TessPageIteratorBoundingBox");
    resolve(f.deleteText, "TessDeleteText");
    resolve(f.createMonitor, "TessMonitorCreate");
    resolve(f.deleteMonitor, "TessMonitorDelete");
    resolve(f.setCancelFunc, "TessMonitorSetCancelFunc");
    resolve(f.setCancelThis, "TessMonitorSetCancelThis");
    if (!complete)
        loaded.error = QStringLiteral("Text recognition is not available: the Tesseract library is too old.");
    return loaded;
}

} // namespace

const TesseractLibrary* tesseract(QString* error) {
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = load(); });
    if (!loaded.error.isEmpty()) {
        if (error)
            *error = loaded.error;
        return nullptr;
    }
    return &loaded.functions;
}

} // namespace zepla::ocr
