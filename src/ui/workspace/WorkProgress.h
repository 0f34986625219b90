// The progress window of long work the workspace runs in the background (text recognition, redaction): a
// bar with pages done of all and a Cancel button, the window itself staying usable.
#pragma once

#include <QProgressDialog>

namespace zepla::ui {

// A progress window that deletes itself when closed; it appears after `minimumDurationMs` of work.
QProgressDialog* makeWorkProgress(QWidget* parent, const QString& title, const QString& label,
                                  int minimumDurationMs);
// Shows `done` of `total` with `label`: at once, or with the newest figures a moment later when the last
// were shown only just now.
void showWorkProgress(QProgressDialog& progress, const QString& label, int done, int total);

} // namespace zepla::ui
