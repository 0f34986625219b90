// MuPDF's store of things kept for reuse (decoded images, fonts, parsed objects), shared by every document.
#pragma once

namespace zepla::pdf {

// Empties the store as far as no open document or render holds its entries, and the cache of drawn glyphs:
// a closed document's leftovers go at once rather than when the caches fill up.
void emptyStore();

} // namespace zepla::pdf
