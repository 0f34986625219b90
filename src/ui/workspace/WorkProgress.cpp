#include "ui/workspace/WorkProgress.h"

#include <QTimer>

#include <utility>

namespace zepla::ui {

namespace {

// Every change of the bar repaints the window at once, on the UI thread and waiting for the display server;
// work that reports each page shows its newest figures at most this often.
constexpr int shownIntervalMs = 100;

const char* const pacerName = "workProgressPacer";

// Shows the first figures at once and the newest of those that follow when the interval is over.
class ProgressPacer : public QObject {
public:
    explicit ProgressPacer(QProgressDialog& progress) : QObject(&progress), m_progress(progress) {
        setObjectName(QLatin1String(pacerName));
        m_interval.setSingleShot(true);
        m_interval.setInterval(shownIntervalMs);
        connect(&m_interval, &QTimer::timeout, this, [this] {
            if (std::exchange(m_waiting, false))
                showNewest();
        });
    }

    void show(const QString& label, int done, int total) {
        m_label = label;
        m_done = done;
        m_total = total;
        if (m_interval.isActive())
            m_waiting = true;
        else
            showNewest();
    }

private:
    void showNewest() {
        m_progress.setLabelText(m_label);
        m_progress.setMaximum(m_total);
        m_progress.setValue(m_done);
        m_interval.start();
    }

    QProgressDialog& m_progress;
    QTimer m_interval;
    QString m_label;
    int m_done = 0;
    int m_total = 0;
    bool m_waiting = false;
};

} // namespace

QProgressDialog* makeWorkProgress(QWidget* parent, const QString& title, const QString& label,
                                  int minimumDurationMs) {
    auto* progress = new QProgressDialog(label, QStringLiteral("Cancel"), 0, 0, parent);
    progress->setWindowTitle(title);
    progress->setWindowModality(Qt::NonModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(minimumDurationMs);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    new ProgressPacer(*progress);
    return progress;
}

void showWorkProgress(QProgressDialog& progress, const QString& label, int done, int total) {
    auto* pacer = progress.findChild<QObject*>(QLatin1String(pacerName), Qt::FindDirectChildrenOnly);
    static_cast<ProgressPacer*>(pacer)->show(label, done, total);
}

} // namespace zepla::ui
