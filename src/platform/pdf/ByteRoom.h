// Room for bytes about to be written, made ready in one go: a fresh page of memory otherwise costs a fault
// the first time it is touched, which on a virtual machine weighs as much as writing the page many times
// over.
#pragma once

#include <QByteArray>

namespace zepla::pdf {

// Reserves room for `size` bytes in `bytes` and has the system map the room's pages (the first 32 MB of
// them) now, in one call. Where the system cannot, the pages are mapped as they are first written, as with a
// plain reserve.
void reserveMapped(QByteArray& bytes, qsizetype size);

} // namespace zepla::pdf
