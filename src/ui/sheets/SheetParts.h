// What the document sheets share: their heading, their secondary text and a labelled field.
#pragma once

#include <QString>

class QDialog;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace zepla::ui::SheetParts {

QLabel* heading(const QString& text, QWidget* parent);
// Secondary text at `pixelSize`.
QLabel* secondaryText(const QString& text, double pixelSize, QWidget* parent);
// The small medium-weight label above a field or a slider.
QLabel* caption(const QString& text, QWidget* parent);
// A small label above a text field, added to `layout`; returns the field.
QLineEdit* labeledField(const QString& label, const QString& placeholder, QVBoxLayout* layout,
                        QWidget* parent);

// The row at the foot of a sheet: "Cancel", which rejects the sheet and never answers Return, then
// `confirm` in the prominent look.
QHBoxLayout* cancelAndConfirm(QDialog* sheet, QPushButton* confirm);

} // namespace zepla::ui::SheetParts
