// Writing a whole file's bytes so that a failure names its cause.
#pragma once

#include <QByteArray>

class QFileDevice;

namespace zepla::platform {

// Writes all of `bytes` into `file` (open for writing). A write the system cuts short (a full disk, a file
// size limit) is taken up where it stopped: the next attempt fails with the cause in the file's
// `errorString()` ("No space left on device"), where a short count alone says nothing. False on failure.
bool writeAll(QFileDevice& file, const QByteArray& bytes);

} // namespace zepla::platform
