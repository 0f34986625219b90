#include "document/passwords/PDFUnlocker.h"

#include "pdf/PdfDocument.h"

namespace zepla::document::PDFUnlocker {

bool promptAndUnlock(pdf::Document& document, const PasswordPrompt& prompt) {
    bool wrong = false;
    while (document.isLocked()) {
        const std::optional<QString> password = prompt(wrong);
        if (!password)
            return false;
        wrong = !document.authenticate(*password);
    }
    return true;
}

} // namespace zepla::document::PDFUnlocker
