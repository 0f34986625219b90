// Pieces the password views share: a field that never shows what is typed, red error text, rounded fonts
// and the save dialog for PDF copies.
#pragma once

#include <QFont>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace zepla::ui::Passwords {

// A secure field with a placeholder.
QLineEdit* makePasswordField(const QString& placeholder, QWidget* parent);
// A line of red text, hidden while empty.
QLabel* makeErrorLabel(QWidget* parent);
void showError(QLabel* label, const QString& text);
// The interface font at `pixelSize`, optionally semibold.
QFont roundedFont(int pixelSize, bool semibold = false);

// The filled, brand-blue look of a sheet's main button; faded while disabled.
void makeProminent(QPushButton* button);

// Asks where to save a PDF copy, proposing `suggestedName` in the user's documents folder; an empty
// string when the user cancels.
QString askForPdfSavePath(QWidget* parent, const QString& suggestedName);

} // namespace zepla::ui::Passwords
