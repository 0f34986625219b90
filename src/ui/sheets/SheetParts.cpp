#include "ui/sheets/SheetParts.h"

#include "ui/passwords/PasswordField.h"
#include "ui/theme/Colors.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zepla::ui::SheetParts {

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(Passwords::roundedFont(15, true));
    return label;
}

QLabel* secondaryText(const QString& text, double pixelSize, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(qRound(pixelSize));
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: %1;").arg(Color::secondary(parent).name(QColor::HexArgb)));
    return label;
}

QLabel* caption(const QString& text, QWidget* parent) {
    QLabel* label = secondaryText(text, 11.5, parent);
    QFont font = label->font();
    font.setWeight(QFont::Medium);
    label->setFont(font);
    return label;
}

QLineEdit* labeledField(const QString& label, const QString& placeholder, QVBoxLayout* layout,
                        QWidget* parent) {
    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    auto* field = new QLineEdit(parent);
    field->setPlaceholderText(placeholder);
    column->addWidget(caption(label, parent));
    column->addWidget(field);
    layout->addLayout(column);
    return field;
}

QHBoxLayout* cancelAndConfirm(QDialog* sheet, QPushButton* confirm) {
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), sheet);
    cancel->setAutoDefault(false);
    QObject::connect(cancel, &QPushButton::clicked, sheet, &QDialog::reject);
    Passwords::makeProminent(confirm);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(cancel);
    row->addWidget(confirm);
    return row;
}

} // namespace zepla::ui::SheetParts
