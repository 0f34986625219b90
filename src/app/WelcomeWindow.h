// The landing window: the welcome content on its own, shown whenever no other window is open.
#pragma once

#include <QMainWindow>

namespace zepla::ui {
class LandingView;
}

namespace zepla::app {

class WelcomeWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr QSize initialSize{720, 560};

    explicit WelcomeWindow(QWidget* parent = nullptr);
    ui::LandingView* landingView() const { return m_landing; }

private:
    ui::LandingView* m_landing;
};

} // namespace zepla::app
