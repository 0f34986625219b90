#include "ui/passwords/PasswordField.h"

#include "ui/theme/Colors.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>

namespace zepla::ui::Passwords {

QLineEdit* makePasswordField(const QString& placeholder, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setEchoMode(QLineEdit::Password);
    field->setPlaceholderText(placeholder);
    field->setClearButtonEnabled(false);
    return field;
}

QLabel* makeErrorLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFont(roundedFont(12));
    label->setStyleSheet(QStringLiteral("color: #d70015;"));
    label->setWordWrap(true);
    label->hide();
    return label;
}

void showError(QLabel* label, const QString& text) {
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

QFont roundedFont(int pixelSize, bool semibold) {
    QFont font;
    font.setPixelSize(pixelSize);
    if (semibold)
        font.setWeight(QFont::DemiBold);
    return font;
}

void makeProminent(QPushButton* button) {
    button->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; color: white; border: none; border-radius: 6px;"
                       " padding: 5px 14px; } QPushButton:disabled { background: %2; }")
            .arg(Color::brandBlue().name(),
                 Color::withOpacity(Color::brandBlue(), 0.4).name(QColor::HexArgb)));
}

QString askForPdfSavePath(QWidget* parent, const QString& suggestedName) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileDialog::getSaveFileName(parent, QString(), QDir(folder).filePath(suggestedName),
                                        QStringLiteral("PDF (*.pdf)"));
}

} // namespace zepla::ui::Passwords
