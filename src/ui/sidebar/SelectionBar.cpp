#include "ui/sidebar/SelectionBar.h"

#include "ui/theme/Colors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace zepla::ui {

namespace {

QFont barFont() {
    QFont font;
    font.setPixelSize(12);
    return font;
}

QPushButton* textButton(const QString& text, const QColor& colour, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setFlat(true);
    button->setFont(barFont());
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("QPushButton { color: %1; border: none; padding: 0; }").arg(colour.name()));
    return button;
}

} // namespace

SelectionBar::SelectionBar(QWidget* parent) : QWidget(parent), m_count(new QLabel(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 0, 10, 8);
    row->setSpacing(10);
    m_count->setFont(barFont());
    QPalette palette = m_count->palette();
    palette.setColor(QPalette::WindowText, Color::secondary(this));
    m_count->setPalette(palette);
    row->addWidget(m_count);
    row->addStretch(1);
    QPushButton* extract = textButton(QStringLiteral("Extract…"), Color::systemBlue(), this);
    QPushButton* remove = textButton(QStringLiteral("Delete"), QColor(0xFF, 0x3B, 0x30), this);
    row->addWidget(extract);
    row->addWidget(remove);
    connect(extract, &QPushButton::clicked, this, &SelectionBar::extractRequested);
    connect(remove, &QPushButton::clicked, this, &SelectionBar::deleteRequested);
}

void SelectionBar::setCount(int count) {
    m_count->setText(QStringLiteral("%1 selected").arg(count));
}

QString SelectionBar::countText() const {
    return m_count->text();
}

} // namespace zepla::ui
