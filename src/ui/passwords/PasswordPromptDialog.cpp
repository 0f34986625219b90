#include "ui/passwords/PasswordPromptDialog.h"

#include "ui/passwords/PasswordField.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zepla::ui {

PasswordPromptDialog::PasswordPromptDialog(bool afterWrongPassword, QWidget* parent)
    : QDialog(parent), m_field(Passwords::makePasswordField(QString(), this)) {
    setWindowTitle(QStringLiteral("Password Required"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("Password Required"), this);
    title->setFont(Passwords::roundedFont(14, true));
    auto* info =
        new QLabel(QStringLiteral("This PDF is password-protected. Enter the password to continue."), this);
    info->setWordWrap(true);
    layout->addWidget(title);
    layout->addWidget(info);
    if (afterWrongPassword) {
        QLabel* wrong = Passwords::makeErrorLabel(this);
        Passwords::showError(wrong, QStringLiteral("That password didn't work."));
        layout->addWidget(wrong);
    }
    m_field->setFixedSize(260, 24);
    layout->addWidget(m_field);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* unlock = buttons->addButton(QStringLiteral("Unlock"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    unlock->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    m_field->setFocus();
}

std::optional<QString> PasswordPromptDialog::ask(QWidget* parent, bool afterWrongPassword) {
    PasswordPromptDialog dialog(afterWrongPassword, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.field()->text();
}

} // namespace zepla::ui
