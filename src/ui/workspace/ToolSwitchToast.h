// The short message over the top of the PDF view: shown after a tool switch, the start of text editing or
// a redaction, gone by itself 1.4 s later. A newer message replaces an older one at once. It never takes
// the mouse: clicks reach the page beneath.
#pragma once

#include <QTimer>
#include <QWidget>

class QGraphicsOpacityEffect;
class QVariantAnimation;

namespace zepla::ui {

class ToolSwitchToast : public QWidget {
    Q_OBJECT

public:
    static constexpr int visibleMs = 1400;
    static constexpr int topOffset = 46;

    // Lies over `host`, following its size.
    explicit ToolSwitchToast(QWidget* host);

    void announce(const QString& message);
    // The message shown, empty once it has gone.
    QString message() const { return m_message; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();
    void fade(qreal to, int durationMs);

    QString m_message;
    QTimer m_dismiss;
    QGraphicsOpacityEffect* m_opacity;
    QVariantAnimation* m_fade;
};

} // namespace zepla::ui
