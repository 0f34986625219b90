#include "ui/toolbar/SizeControl.h"

#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"
#include "ui/toolbar/PointSizeField.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zepla::ui {

const SizeSetting& SizeSetting::strokeWidth() {
    static const SizeSetting setting{QStringLiteral("Stroke width"), 1, 30, 26, 1};
    return setting;
}

const SizeSetting& SizeSetting::eraserSize() {
    static const SizeSetting setting{QStringLiteral("Eraser size"), 4, 100, 30, 2};
    return setting;
}

const SizeSetting& SizeSetting::fontSize() {
    static const SizeSetting setting{QStringLiteral("Text box font size"), 8, 48, 24, 1};
    return setting;
}

namespace {

QToolButton* arrowButton(const QString& symbol, const QString& help, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(
        QIcon(Symbols::pixmap(symbol, 10, Color::secondary(parent), false, parent->devicePixelRatioF())));
    button->setIconSize(QSize(10, 10));
    button->setFixedSize(26, 19);
    button->setToolTip(help);
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0px; }"));
    return button;
}

} // namespace

SizeControl::SizeControl(const SizeSetting& setting, double value, QWidget* parent)
    : QWidget(parent), m_setting(setting), m_value(value),
      m_field(new PointSizeField(value, setting.minimum, setting.maximum, setting.fieldWidth, setting.help,
                                 this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    row->addWidget(m_field);
    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    auto* up = arrowButton(QStringLiteral("chevron.up"), setting.help, this);
    auto* down = arrowButton(QStringLiteral("chevron.down"), setting.help, this);
    m_up = up;
    m_down = down;
    arrows->addWidget(up);
    arrows->addWidget(down);
    row->addLayout(arrows);
    connect(up, &QToolButton::clicked, this, [this] { step(+1); });
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
    connect(m_field, &PointSizeField::committed, this, &SizeControl::valueChosen);
}

void SizeControl::setValue(double value) {
    m_value = value;
    m_field->setValue(value);
}

void SizeControl::step(double direction) {
    const double next = direction > 0 ? std::min(m_value + m_setting.step, m_setting.maximum)
                                      : std::max(m_value - m_setting.step, m_setting.minimum);
    emit valueChosen(next);
}

} // namespace zepla::ui
