#include "app/OpenProgress.h"

#include "app/ProgressBox.h"

#include <QWidget>

namespace zepla::app {

OpenProgress::OpenProgress(const QString& name, QWidget* parent) : m_name(name), m_parent(parent) {
    m_delay.setSingleShot(true);
    m_delay.setInterval(progressDelayMs);
    connect(&m_delay, &QTimer::timeout, this, &OpenProgress::show);
    m_delay.start();
}

OpenProgress::~OpenProgress() {
    delete m_window;
}

void OpenProgress::show() {
    // A tool window of its own: it neither takes the focus from what the user is doing nor blocks it.
    auto* window = new QWidget(m_parent, Qt::Tool);
    window->setObjectName(QStringLiteral("openProgress"));
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setWindowTitle(tr("Opening"));
    fillProgressBox(*window, tr("Opening “%1”…").arg(m_name));
    window->show();
    m_window = window;
}

} // namespace zepla::app
