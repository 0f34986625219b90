// The bottom of the assistant panel: the document row, the suggestion chips of an empty conversation and the
// input box with the pending attachment, the message input, the attach button, the model menu and the send
// button. All its state is the view model's.
#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

namespace zepla::ai {
class AssistantViewModel;
}

namespace zepla::ui {

class ChatInputField;

// Sending is allowed while no answer runs, when the draft has something besides spaces and tabs or an
// attachment is pending.
bool canSubmit(const ai::AssistantViewModel& viewModel);

class AssistantInputArea : public QWidget {
    Q_OBJECT
public:
    // Asks the user for a file to attach; empty when cancelled.
    using FileChooser = std::function<QString(QWidget* parent)>;

    explicit AssistantInputArea(ai::AssistantViewModel& viewModel, QWidget* parent = nullptr);

    // The open dialog by default; tests choose the file themselves.
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    ChatInputField* input() const { return m_input; }
    QList<QPushButton*> chips() const { return m_chips; }
    QWidget* attachmentChip() const { return m_attachmentChip; }
    QToolButton* removeAttachmentButton() const { return m_removeAttachment; }
    QToolButton* attachButton() const { return m_attach; }
    QToolButton* modelMenuButton() const { return m_modelButton; }
    QToolButton* sendButton() const { return m_send; }

private:
    QWidget* makeDocumentRow();
    QWidget* makeChips();
    QWidget* makeInputBox();
    QWidget* makeAttachmentChip();
    QWidget* makeControlRow();
    void send();
    void syncDraft();
    void syncAttachment();
    void syncModel();
    void syncSendButton();

    ai::AssistantViewModel& m_viewModel;
    FileChooser m_chooseFile;
    QLabel* m_documentName = nullptr;
    QWidget* m_chipBox = nullptr;
    QList<QPushButton*> m_chips;
    QWidget* m_attachmentChip = nullptr;
    QLabel* m_attachmentName = nullptr;
    QToolButton* m_removeAttachment = nullptr;
    ChatInputField* m_input = nullptr;
    QToolButton* m_attach = nullptr;
    QToolButton* m_modelButton = nullptr;
    QToolButton* m_send = nullptr;
};

} // namespace zepla::ui
