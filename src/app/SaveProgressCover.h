// Stands in for a window's content while a save holds its document on a worker: a still picture of the
// content, so that nothing (painting, clicks, keys) reaches the document meanwhile, and past one second a
// note with a progress bar saying that the document is being saved. Editing goes on when the cover goes.
#pragma once

#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace zepla::app {

class SaveProgressCover : public QWidget {
    Q_OBJECT

public:
    // Hides `content` behind the cover, in the content's place in its parent. `name` is the file's name.
    SaveProgressCover(QWidget& content, const QString& name);
    // Shows the content again, with the focus where it was.
    ~SaveProgressCover() override;

    static constexpr int progressDelayMs = 1000;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showProgress();

    QPointer<QWidget> m_content;
    QPointer<QWidget> m_focus;
    QPixmap m_picture;
    QRect m_area;       // the content's place when the cover came
    QSize m_parentSize; // the parent's size then: the cover grows and shrinks with it
    QWidget* m_progress = nullptr;
};

} // namespace zepla::app
