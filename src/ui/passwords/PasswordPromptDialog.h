// The modal password prompt used before a locked PDF is opened into a window or merged: "Password
// Required", a secure field ready for typing, Unlock and Cancel.
#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;

namespace zepla::ui {

class PasswordPromptDialog : public QDialog {
    Q_OBJECT

public:
    explicit PasswordPromptDialog(bool afterWrongPassword, QWidget* parent = nullptr);

    QLineEdit* field() const { return m_field; }

    // Runs a fresh prompt modally; the typed password (an empty field counts as empty text), or nothing
    // when the user cancels. Fits `PDFUnlocker::promptAndUnlock`.
    static std::optional<QString> ask(QWidget* parent, bool afterWrongPassword);

private:
    QLineEdit* m_field;
};

} // namespace zepla::ui
