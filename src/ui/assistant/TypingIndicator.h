// Three dots that take turns growing while the assistant works on an answer.
#pragma once

#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

namespace zepla::ui {

class TypingIndicator : public QWidget {
    Q_OBJECT
public:
    static constexpr int tickMs = 350;
    static constexpr int easeMs = 250;

    explicit TypingIndicator(QWidget* parent = nullptr);

    // The emphasised dot: 0, 1 or 2.
    int phase() const { return m_phase; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void advance();
    // How emphasised dot `index` is now, 0 to 1, following the eased change of phase.
    qreal emphasis(int index) const;

    int m_phase = 0;
    int m_previousPhase = 0;
    QTimer m_timer;
    QVariantAnimation m_ease;
};

} // namespace zepla::ui
