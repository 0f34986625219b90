// The custom colour well of the toolbar: a circle of the current colour with a plus; a click opens the
// colour dialog (opacity included), whose every change applies at once.
#pragma once

#include <QAbstractButton>
#include <QColorDialog>
#include <QPointer>

namespace zepla::ui {

class ColorWell : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int diameter = 23;

    explicit ColorWell(const QColor& color, QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    // The colour dialog while it is open.
    QColorDialog* dialog() const { return m_dialog; }

    QSize sizeHint() const override { return {diameter, diameter}; }

signals:
    void colorChosen(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void openDialog();

    QColor m_color;
    QPointer<QColorDialog> m_dialog;
};

} // namespace zepla::ui
