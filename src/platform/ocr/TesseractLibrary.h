// Tesseract's C interface, loaded from libtesseract.so.5 on first use rather than linked: the program starts
// without paying for the library, and runs where it is missing (recognition then says why).
#pragma once

#include <tesseract/capi.h>

#include <QString>

namespace zepla::ocr {

struct TesseractLibrary {
    decltype(&TessBaseAPICreate) create;
    decltype(&TessBaseAPIDelete) destroy;
    decltype(&TessBaseAPIInit2) init;
    decltype(&TessBaseAPISetPageSegMode) setPageSegMode;
    decltype(&TessBaseAPISetImage) setImage;
    decltype(&TessBaseAPISetSourceResolution) setSourceResolution;
    decltype(&TessBaseAPIRecognize) recognize;
    decltype(&TessBaseAPIGetIterator) iterator;
    decltype(&TessBaseAPIClear) clear;
    decltype(&TessResultIteratorGetPageIterator) pageIterator;
    decltype(&TessResultIteratorNext) next;
    decltype(&TessResultIteratorGetUTF8Text) text;
    decltype(&TessResultIteratorDelete) deleteIterator;
    decltype(&TessPageIteratorIsAtBeginningOf) isAtBeginningOf;
    decltype(&TessPageIteratorBoundingBox) boundingBox;
    decltype(&TessDeleteText) deleteText;
    decltype(&TessMonitorCreate) createMonitor;
    decltype(&TessMonitorDelete) deleteMonitor;
    decltype(&TessMonitorSetCancelFunc) setCancelFunc;
    decltype(&TessMonitorSetCancelThis) setCancelThis;
};

// The library with every function resolved, or null with `error` set to a message a user can read.
// Loads it once per process.
const TesseractLibrary* tesseract(QString* error);

} // namespace zepla::ocr
