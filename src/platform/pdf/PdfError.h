// Errors of the PDF layer as values: a kind the caller can branch on and a message a user can read.
#pragma once

#include "core/Result.h"

#include <QString>

namespace zepla::pdf {

struct Error {
    enum class Kind {
        Damaged,       // the bytes are not a PDF, or too broken to repair
        Undecryptable, // encrypted, and what decrypting its pages needs is lost with the damage
        NeedsPassword, // the document is locked; authenticate first
        WrongPassword,
        Unsupported, // a feature of the file this layer cannot handle
        Failed,      // anything else MuPDF reported
    };
    Kind kind = Kind::Failed;
    QString message;
};

template <class T> using Result = zepla::Result<T, Error>;
// A result without a value: success, or an error.
using Status = zepla::Result<void, Error>;

} // namespace zepla::pdf
