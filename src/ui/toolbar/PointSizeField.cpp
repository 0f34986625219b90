#include "ui/toolbar/PointSizeField.h"

#include "ui/theme/Colors.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zepla::ui {

namespace {

QFont fieldFont() {
    QFont font;
    font.setPixelSize(12);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

PointSizeField::PointSizeField(double value, double minimum, double maximum, int width, const QString& help,
                               QWidget* parent)
    : QWidget(parent), m_value(value), m_minimum(minimum), m_maximum(maximum), m_edit(new QLineEdit(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    m_edit->setFrame(false);
    m_edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_edit->setFont(fieldFont());
    m_edit->setTextMargins(0, 0, 0, 0);
    m_edit->setStyleSheet(QStringLiteral("background: transparent; padding: 0px;"));
    m_edit->setText(format(value));
    m_edit->installEventFilter(this);
    auto* unit = new QLabel(QStringLiteral("pt"), this);
    unit->setFont(fieldFont());
    QPalette palette = unit->palette();
    palette.setColor(QPalette::WindowText, Color::secondary(this));
    unit->setPalette(palette);
    palette = m_edit->palette();
    palette.setColor(QPalette::Text, Color::secondary(this));
    m_edit->setPalette(palette);
    row->addWidget(m_edit, 1);
    row->addWidget(unit);
    // The width given is that of the number; the unit is laid beside it.
    m_edit->setFixedWidth(width);
    setToolTip(help);
    m_edit->setToolTip(help);
    connect(m_edit, &QLineEdit::returnPressed, this, &PointSizeField::commit);
    connect(m_edit, &QLineEdit::textEdited, this, [this] { m_typing = true; });
}

QString PointSizeField::format(double value) {
    if (value - std::trunc(value) != 0) {
        char text[64];
        std::snprintf(text, sizeof text, "%.1f", value);
        return QString::fromLatin1(text);
    }
    return QString::number(static_cast<long long>(value));
}

std::optional<double> PointSizeField::parse(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty() || std::isspace(static_cast<unsigned char>(bytes.front())))
        return std::nullopt;
    // strtod follows the process locale; the field's notation is the C locale's whatever the user's is.
    locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    char* end = nullptr;
    const double number = strtod_l(bytes.constData(), &end, cLocale);
    freelocale(cLocale);
    if (end != bytes.constData() + bytes.size() || std::isnan(number))
        return std::nullopt;
    return number;
}

// Only text being typed is left alone: after a commit the field shows the value again, also while it keeps
// the focus, so the arrows' steps show at once and a later loss of focus commits what is shown.
void PointSizeField::setValue(double value) {
    m_value = value;
    if (!m_edit->hasFocus() || !m_typing)
        m_edit->setText(format(value));
}

void PointSizeField::commit() {
    m_typing = false;
    const std::optional<double> number = parse(m_edit->text());
    if (!number || *number <= 0) {
        m_edit->setText(format(m_value));
        return;
    }
    const double clamped = std::clamp(*number, m_minimum, m_maximum);
    m_edit->setText(format(clamped));
    emit committed(clamped);
}

// Qt reports an edit finished on focus loss only when the text changed; the field commits on every loss of
// focus.
bool PointSizeField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit && event->type() == QEvent::FocusOut)
        commit();
    return QWidget::eventFilter(watched, event);
}

} // namespace zepla::ui
