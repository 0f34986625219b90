// Office files to PDF through LibreOffice running headless: one private profile per conversion, a time
// limit, and nothing left running afterwards.
#pragma once

#include "core/Result.h"

#include <QString>

#include <atomic>
#include <chrono>

namespace zepla::platform {

struct ConversionError {
    enum class Kind {
        Missing,   // LibreOffice is not installed
        TimedOut,  // it ran past the time limit and was stopped
        Cancelled, // the caller asked to stop
        Failed,    // it crashed, refused the file or wrote no PDF
    };
    Kind kind = Kind::Failed;
    QString message;
};

// The PDF written, or why there is none.
using ConversionResult = Result<QString, ConversionError>;

namespace OfficeConverter {

struct Options {
    std::chrono::milliseconds timeLimit{std::chrono::minutes(2)};
    // Checked several times a second; when it turns true the conversion stops and reports Cancelled.
    const std::atomic<bool>* cancelled = nullptr;
    // The LibreOffice program; empty means "soffice" found on the search path.
    QString program;
};

// The import filter LibreOffice reads a file of this extension with, so that a file that is not what its
// name says fails instead of being read as plain text. Empty when LibreOffice should detect the format.
QString importFilter(const QString& extension);

// Converts `source` into a PDF inside `outputFolder` (which must exist), read with the import filter of its
// extension, and returns the PDF's path: the
// source's base name with the extension "pdf". Blocks until LibreOffice is done, so call it off the UI
// thread. LibreOffice and everything it started is killed when it overruns, is cancelled, or leaves a
// process behind.
ConversionResult toPdf(const QString& source, const QString& outputFolder, const Options& options = {});

} // namespace OfficeConverter

} // namespace zepla::platform
