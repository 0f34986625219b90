// A PDF file's bytes for reading, mapped read-only from the file: opening never reads a file whole into
// memory, and the memory its pages take is the system's file cache, given back whenever it is short.
#pragma once

#include "PdfContext.h"
#include "PdfError.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <memory>

namespace zepla::pdf {

class MappedFile {
public:
    // The file at `path`, once it is known to be a regular file (a device, a FIFO or a folder named .pdf
    // never ends or never answers) that starts like a PDF. Nothing past its first and last kilobyte is read
    // here. Errors: Damaged for a file that is not a PDF, Failed when it cannot be read.
    static Result<std::shared_ptr<const MappedFile>> open(const QString& path);

    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // The bytes, without a copy: valid while this object lives. A file cut short by another program while
    // it is mapped reads as zeros past its new end, where a plain mapping would end the process.
    const QByteArray& bytes() const { return m_bytes; }
    // Gives back the memory of the pages read so far; they are read from the file again when next needed.
    void release() const;

    // A MuPDF stream over `bytes` (which must outlive it), served a window at a time without a copy. Over a
    // mapped file (`file`), the pages it has read are given back after every few tens of megabytes, so that
    // a repair reading a damaged file from end to end holds no more of it than that. Throws as MuPDF does.
    static fz_stream* openStream(fz_context* ctx, const QByteArray& bytes, const MappedFile* file);
    // Where `needle` last stands in `bytes` (-1 when nowhere), searched from the end a few tens of megabytes
    // at a time; over a mapped file (`file`) the pages searched are given back as the search goes on.
    static qsizetype lastIndexOf(const QByteArray& bytes, QByteArrayView needle, const MappedFile* file);

private:
    MappedFile(void* address, std::size_t size);
    void* m_address;
    std::size_t m_size;
    QByteArray m_bytes;
};

} // namespace zepla::pdf
