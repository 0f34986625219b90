#include "ui/workspace/WorkProgress.h"

namespace zepla::ui {

QProgressDialog* makeWorkProgress(QWidget* parent, const QString& title, const QString& label,
                                  int minimumDurationMs) {
    auto* progress = new QProgressDialog(label, QStringLiteral("Cancel"), 0, 0, parent);
    progress->setWindowTitle(title);
    progress->setWindowModality(Qt::NonModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(minimumDurationMs);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    return progress;
}

void showWorkProgress(QProgressDialog& progress, const QString& label, int done, int total) {
    progress.setLabelText(label);
    progress.setMaximum(total);
    progress.setValue(done);
}

} // namespace zepla::ui
