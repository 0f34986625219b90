// One saved signature in the picker: its image on white in a rounded frame, outlined in the accent colour
// when active, with a delete badge overhanging its top-right corner.
#pragma once

#include <QAbstractButton>
#include <QImage>

namespace zepla::ui {

class SignatureTile : public QAbstractButton {
    Q_OBJECT

public:
    SignatureTile(const QImage& image, bool active, QWidget* parent = nullptr);

    bool isActive() const { return m_active; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
    bool m_active;
};

} // namespace zepla::ui
