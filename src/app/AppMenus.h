// The menu bar of every window: File, Edit, View and Help, bound to the window's own document where it has
// one.
#pragma once

class QMainWindow;

namespace zepla::app {

class DocumentController;
class DocumentWindow;
class UpdaterController;

namespace AppMenus {

// `document` is null for windows without a document (the landing window): their document commands are off.
void install(QMainWindow& window, DocumentController& controller, UpdaterController& updater,
             DocumentWindow* document);

} // namespace AppMenus

} // namespace zepla::app
