// The drawing vocabulary the assistant's views share: rounded boxes tinted from the palette, symbol buttons
// and the rounded interface font.
#pragma once

#include <QColor>
#include <QFont>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <optional>

class QPainter;

namespace zepla::ui {

// The warm off-white behind the assistant panel and its history list.
QColor assistantBackground();

// The height of one band: a few scanlines, each with at most a handful of spans, stay under the threshold
// at which Qt's raster engine hands the blending to its threads.
constexpr int paintBandLines = 16;

// Runs `paint` clipped to one band of `paintBandLines` lines of `area` after another. Qt's raster engine
// hands the blending of a tall area to its pool of threads and waits for them; on a busy machine that wait,
// and the threads' start-up, can hold the UI thread for tens of milliseconds, while bands this short are
// blended at once on the UI thread.
void paintInBands(QPainter& painter, const QRect& area, const std::function<void()>& paint);

// How a RoundedBox is drawn. Colours given as opacities of the palette's primary colour follow light and
// dark appearance.
struct BoxStyle {
    qreal radius = 0;
    std::optional<QColor> fill; // a fixed fill; otherwise the primary colour at `primaryFill`
    qreal primaryFill = 0;
    qreal primaryStroke = 0; // a 1-point outline in the primary colour at this opacity, none at 0
};

// A widget drawing a rounded rectangle behind its children.
class RoundedBox : public QWidget {
public:
    explicit RoundedBox(BoxStyle style, QWidget* parent = nullptr);
    void setStyle(BoxStyle style);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    BoxStyle m_style;
};

// The interface font at `pixels` and `weight`.
QFont panelFont(int pixels, QFont::Weight weight = QFont::Normal);

// A flat button showing a symbol in the secondary colour, `points` square, with a tooltip.
QToolButton* symbolButton(const QString& symbol, int points, const QString& toolTip,
                          QWidget* parent = nullptr);
// Redraws a symbol button's icon (for a changed symbol or palette).
void setButtonSymbol(QToolButton* button, const QString& symbol, int points, const QColor& colour);

} // namespace zepla::ui
