// The landing view's card for reaching a file: "Select File…" and a dashed drop zone that lights up under a
// drag.
#pragma once

#include <QUrl>
#include <QVariantAnimation>
#include <QWidget>

#include <functional>

class QPushButton;

namespace zepla::ui {

class OpenDocumentCard : public QWidget {
    Q_OBJECT

public:
    // `onDrop` decides whether a drop of these locations is taken.
    OpenDocumentCard(std::function<bool(const QList<QUrl>&)> onDrop, QWidget* parent = nullptr);

    QPushButton* selectFileButton() const { return m_selectFile; }
    bool isDropTargeted() const { return m_dropTargeted; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setDropTargeted(bool targeted);

    std::function<bool(const QList<QUrl>&)> m_onDrop;
    QPushButton* m_selectFile;
    bool m_dropTargeted = false;
    qreal m_highlight = 0;
    QVariantAnimation m_animation;
};

} // namespace zepla::ui
