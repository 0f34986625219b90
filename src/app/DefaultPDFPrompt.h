// The one-time offer, shortly after launch, to make Zepla the default PDF viewer.
#pragma once

class QMessageBox;

namespace zepla::app::DefaultPDFPrompt {

// Unless the offer was answered before or Zepla already is the default, shows it (without blocking the
// caller); either answer is remembered, and "Set as Default" asks the desktop to make Zepla the default.
void promptIfNeeded();

// The offer while it is on screen.
QMessageBox* visibleOffer();

} // namespace zepla::app::DefaultPDFPrompt
