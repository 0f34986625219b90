#include "ui/passwords/SetPasswordSheet.h"

#include "document/passwords/PasswordCopies.h"
#include "ui/passwords/PasswordField.h"
#include "ui/theme/Colors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zepla::ui {

namespace {

constexpr int sheetWidth = 360;
constexpr int sheetMargin = 20;

} // namespace

SetPasswordSheet::SetPasswordSheet(std::shared_ptr<pdf::Document> document, const QString& suggestedName,
                                   QWidget* parent)
    : QDialog(parent), m_document(std::move(document)), m_suggestedName(suggestedName),
      m_savePanel([this](const QString& name) { return Passwords::askForPdfSavePath(this, name); }),
      m_password(Passwords::makePasswordField(QStringLiteral("Password"), this)),
      m_confirm(Passwords::makePasswordField(QStringLiteral("Confirm Password"), this)),
      m_message(Passwords::makeErrorLabel(this)),
      m_save(new QPushButton(QStringLiteral("Save Encrypted Copy…"), this)) {
    setWindowModality(Qt::WindowModal);
    setWindowTitle(QStringLiteral("Set Password"));
    setFixedWidth(sheetWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(sheetMargin, sheetMargin, sheetMargin, sheetMargin);
    layout->setSpacing(14);
    auto* title = new QLabel(QStringLiteral("Set Password"), this);
    title->setFont(Passwords::roundedFont(15, true));
    auto* explanation =
        new QLabel(QStringLiteral("Anyone opening the saved copy will need this password. This doesn't "
                                  "change the document that's currently open."),
                   this);
    explanation->setFont(Passwords::roundedFont(12));
    explanation->setWordWrap(true);
    explanation->setStyleSheet(
        QStringLiteral("color: %1;").arg(Color::secondary(this).name(QColor::HexArgb)));
    explanation->setObjectName(QStringLiteral("explanation"));
    // The window's least height knows nothing of how a wrapped label wraps at the sheet's width: without a
    // least height of its own, the label gives up its last line to the error line when that appears.
    explanation->setMinimumHeight(explanation->heightForWidth(sheetWidth - 2 * sheetMargin));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_save->setDefault(true);
    Passwords::makeProminent(m_save);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(m_save);
    for (QWidget* w :
         {static_cast<QWidget*>(title), static_cast<QWidget*>(explanation), static_cast<QWidget*>(m_password),
          static_cast<QWidget*>(m_confirm), static_cast<QWidget*>(m_message)})
        layout->addWidget(w);
    layout->addLayout(buttons);

    connect(m_password, &QLineEdit::textChanged, this, &SetPasswordSheet::refresh);
    connect(m_confirm, &QLineEdit::textChanged, this, &SetPasswordSheet::refresh);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_save, &QPushButton::clicked, this, &SetPasswordSheet::save);
    refresh();
}

bool SetPasswordSheet::canSave() const {
    return !m_password->text().isEmpty() && m_confirm->text() == m_password->text();
}

void SetPasswordSheet::refresh() {
    m_save->setEnabled(canSave());
    QString message = m_errorMessage;
    if (message.isEmpty() && !m_confirm->text().isEmpty() && m_confirm->text() != m_password->text())
        message = QStringLiteral("Passwords don't match.");
    Passwords::showError(m_message, message);
}

void SetPasswordSheet::save() {
    if (!canSave())
        return;
    const QString path = m_savePanel(document::PasswordCopies::protectedCopyName(m_suggestedName));
    if (path.isEmpty())
        return;
    if (document::PasswordCopies::writeProtectedCopy(*m_document, path, m_password->text())) {
        accept();
        return;
    }
    m_errorMessage = QStringLiteral("Couldn't write the encrypted copy to that location.");
    refresh();
}

} // namespace zepla::ui
