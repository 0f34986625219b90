#include "app/OpenProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
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
    auto* label = new QLabel(tr("Opening “%1”…").arg(m_name), window);
    auto* bar = new QProgressBar(window);
    bar->setRange(0, 0); // how far an opening has come is not known, only that it goes on
    bar->setTextVisible(false);
    bar->setMinimumWidth(260);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->addWidget(label);
    layout->addWidget(bar);
    window->show();
    m_window = window;
}

} // namespace zepla::app
