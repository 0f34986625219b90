// Dialogs sized to what they show. A message box on its own sizes itself by its title's line, which leaves
// a short title cut off in the title bar and the message wrapped into a narrow column; a file dialog opens
// too small for its columns of names, sizes, kinds and dates.
#pragma once

class QFileDialog;
class QMessageBox;

namespace zepla::ui {

// Widens the box so its message reads at a normal width (lines of up to 420 pixels, shorter messages on
// one line) and its title fits whole in the window manager's title bar. Call before showing.
void sizeAlertToText(QMessageBox& box);

// Gives a file dialog room for its columns, within the screen. Call before showing.
void sizeFileDialogToColumns(QFileDialog& dialog);

} // namespace zepla::ui
