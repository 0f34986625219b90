// The "Set Password" sheet: two password fields and "Save Encrypted Copy…", which writes a copy of the
// open document protected by that password. The open document and its file stay as they are.
#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zepla::pdf {
class Document;
}

namespace zepla::ui {

class SetPasswordSheet : public QDialog {
    Q_OBJECT

public:
    // Asks where to write a PDF, proposing a name; an empty string when the user cancels.
    using SavePanel = std::function<QString(const QString& suggestedName)>;

    // `suggestedName` is the base of the copy's name: the window file's name without its extension, or
    // "Document". The sheet is window-modal over `parent`'s window.
    SetPasswordSheet(std::shared_ptr<pdf::Document> document, const QString& suggestedName,
                     QWidget* parent = nullptr);

    // Both fields filled in alike.
    bool canSave() const;
    // Asks where to save, writes the encrypted copy and closes; a cancelled panel writes nothing and keeps
    // the sheet open; a failed write says so in the sheet.
    void save();
    void setSavePanel(SavePanel panel) { m_savePanel = std::move(panel); }

    QLineEdit* passwordField() const { return m_password; }
    QLineEdit* confirmField() const { return m_confirm; }
    QPushButton* saveButton() const { return m_save; }
    QLabel* messageLabel() const { return m_message; }

private:
    void refresh();

    std::shared_ptr<pdf::Document> m_document;
    QString m_suggestedName;
    SavePanel m_savePanel;
    QString m_errorMessage;
    QLineEdit* m_password;
    QLineEdit* m_confirm;
    QLabel* m_message;
    QPushButton* m_save;
};

} // namespace zepla::ui
