#include "ui/toolbar/LineStylePicker.h"

#include "ui/theme/Colors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace zepla::ui {

using annotations::LineEndStyle;

LineStylePreview::LineStylePreview(LineEndStyle style, QWidget* parent) : QWidget(parent), m_style(style) {
    setFixedSize(34, 18);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineStylePreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    draw(painter, size(), m_style, Color::primary(this));
}

void LineStylePreview::draw(QPainter& painter, const QSizeF& size, LineEndStyle style, const QColor& colour) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const qreal midY = size.height() / 2;
    const qreal endX = size.width() - 3;
    const auto pen = [&](qreal width) { painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap)); };
    pen(1.6);
    painter.drawLine(QPointF(3, midY), QPointF(endX, midY));
    const QRectF square(endX - 3.5, midY - 3.5, 7, 7);
    const QPointF arrow[] = {{endX - 6, midY - 4}, {endX, midY}, {endX - 6, midY + 4}};
    switch (style) {
    case LineEndStyle::square:
        pen(1.4);
        painter.drawRect(square);
        break;
    case LineEndStyle::circle:
        pen(1.4);
        painter.drawEllipse(square);
        break;
    case LineEndStyle::diamond: {
        pen(1.4);
        const QPointF diamond[] = {{endX, midY - 4}, {endX + 4, midY}, {endX, midY + 4}, {endX - 4, midY}};
        painter.drawPolygon(diamond, 4);
        break;
    }
    case LineEndStyle::openArrow:
        pen(1.6);
        painter.drawPolyline(arrow, 3);
        break;
    case LineEndStyle::closedArrow:
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawPolygon(arrow, 3, Qt::WindingFill);
        break;
    case LineEndStyle::none:
        break;
    }
    painter.restore();
}

const std::array<LineStylePicker::Choice, 6>& LineStylePicker::choices() {
    static const std::array<Choice, 6> list{{{LineEndStyle::none, QStringLiteral("Line")},
                                             {LineEndStyle::closedArrow, QStringLiteral("Arrow")},
                                             {LineEndStyle::openArrow, QStringLiteral("Open Arrow")},
                                             {LineEndStyle::circle, QStringLiteral("Circle")},
                                             {LineEndStyle::square, QStringLiteral("Square")},
                                             {LineEndStyle::diamond, QStringLiteral("Diamond")}}};
    return list;
}

namespace {

// One choice: the drawing over its name, on a faint brand-blue rounded rectangle when it is the current one.
class ChoiceButton : public QAbstractButton {
public:
    ChoiceButton(const LineStylePicker::Choice& choice, QWidget* parent) : QAbstractButton(parent) {
        setCheckable(true);
        setFocusPolicy(Qt::NoFocus);
        setText(choice.label);
        auto* column = new QVBoxLayout(this);
        column->setContentsMargins(6, 6, 6, 6);
        column->setSpacing(4);
        column->addWidget(new LineStylePreview(choice.style, this), 0, Qt::AlignHCenter);
        auto* name = new QLabel(choice.label, this);
        QFont font = name->font();
        font.setPixelSize(9);
        font.setWeight(QFont::Medium);
        name->setFont(font);
        name->setAlignment(Qt::AlignHCenter);
        QPalette palette = name->palette();
        palette.setColor(QPalette::WindowText, Color::secondary(this));
        name->setPalette(palette);
        name->setAttribute(Qt::WA_TransparentForMouseEvents);
        column->addWidget(name);
    }
    QSize sizeHint() const override { return layout()->sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!isChecked())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Color::withOpacity(Color::brandBlue(), 0.18));
        painter.drawRoundedRect(QRectF(rect()), 8, 8);
    }
};

} // namespace

LineStylePicker::LineStylePicker(LineEndStyle current, QWidget* parent)
    : QWidget(parent), m_current(current) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(4);
    for (const Choice& choice : choices()) {
        auto* button = new ChoiceButton(choice, this);
        const LineEndStyle style = choice.style;
        connect(button, &QAbstractButton::clicked, this, [this, style] { emit styleChosen(style); });
        row->addWidget(button);
        m_buttons << button;
    }
    setCurrent(current);
}

void LineStylePicker::setCurrent(LineEndStyle style) {
    m_current = style;
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setChecked(choices()[i].style == style);
}

QAbstractButton* LineStylePicker::choiceButton(int index) const {
    return m_buttons.value(index);
}

} // namespace zepla::ui
