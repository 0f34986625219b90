// The content of a document window whose PDF is locked: a password field and Unlock. A right password
// unlocks the very same PDF and announces the change, and the window shows the workspace instead.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zepla::document {
class PDFEditorDocument;
}

namespace zepla::ui {

class UnlockDocumentView : public QWidget {
    Q_OBJECT

public:
    explicit UnlockDocumentView(document::PDFEditorDocument& document, QWidget* parent = nullptr);

    // Tries the typed password. A wrong one shows "That password didn't work." and keeps the text.
    void unlock();

    bool wrongPassword() const { return m_wrongPassword; }
    QLineEdit* passwordField() const { return m_password; }
    QPushButton* unlockButton() const { return m_unlock; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    document::PDFEditorDocument& m_document;
    bool m_wrongPassword = false;
    QLineEdit* m_password;
    QLabel* m_wrongPasswordLabel;
    QPushButton* m_unlock;
    QPushButton* m_cancel;
};

} // namespace zepla::ui
