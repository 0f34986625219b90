// The text of a file attached to a question: the first pages of a PDF, or a text file read as UTF-8.
#pragma once

#include "core/Result.h"

#include <QString>

#include <optional>

namespace zepla::ai::AttachmentReader {

// Pages of a PDF whose text is taken.
inline constexpr int pdfPageLimit = 10;

struct Attachment {
    QString name;
    QString content;
};

// The file's name and its text as read, cut with a note past the whole-text limit; or, for a file refused,
// a message for the user. Nothing and no error for a file that cannot be read or holds only white space.
Result<std::optional<Attachment>, QString> read(const QString& filePath);

} // namespace zepla::ai::AttachmentReader
