// Unlocking a locked PDF with passwords the user types, as many times as it takes, before anything reads its
// pages. The asking itself is the caller's (a modal prompt in the window).
#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace zepla::pdf {
class Document;
}

namespace zepla::document::PDFUnlocker {

// Asks the user for a password; nothing when the user cancels. `afterWrongPassword` is true when the last
// password typed did not open the document, so the prompt can say so.
using PasswordPrompt = std::function<std::optional<QString>(bool afterWrongPassword)>;

// True when the document is unlocked on return: it was not locked (nothing is asked), or a typed password
// opened it. False when the user cancelled; the document stays locked. There is no limit on attempts.
bool promptAndUnlock(pdf::Document& document, const PasswordPrompt& prompt);

} // namespace zepla::document::PDFUnlocker
