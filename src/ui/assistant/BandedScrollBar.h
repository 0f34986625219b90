// A scroll bar drawn by the style in short bands, so that repainting its full height at every step of a
// scroll never waits for the raster engine's threads (see paintInBands).
#pragma once

#include <QScrollBar>

namespace zepla::ui {

class BandedScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit BandedScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace zepla::ui
