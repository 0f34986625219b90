// The text of a file attached to a question: the first pages of a PDF, or a text file read as UTF-8.
#pragma once

#include <QString>

#include <optional>

namespace zepla::ai::AttachmentReader {

// Pages of a PDF whose text is taken.
inline constexpr int pdfPageLimit = 10;

struct Attachment {
    QString name;
    QString content;
};

struct Outcome {
    // Set when the file gave text: its name and the text as read, cut with a note past the whole-text limit.
    std::optional<Attachment> attachment;
    // Set when the file is refused with a message for the user.
    QString error;
};

// Nothing and no error for a file that cannot be read or holds only white space.
Outcome read(const QString& filePath);

} // namespace zepla::ai::AttachmentReader
