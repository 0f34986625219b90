#include "app/WelcomeWindow.h"

#include "ui/landing/LandingView.h"

namespace zepla::app {

WelcomeWindow::WelcomeWindow(QWidget* parent) : QMainWindow(parent), m_landing(new ui::LandingView) {
    setWindowTitle(tr("Zepla"));
    setCentralWidget(m_landing);
    resize(initialSize);
}

} // namespace zepla::app
