// The preview window's content: the file converted to PDF and shown read-only, with the "Reading document…"
// capsule until its text is ready and then an assistant over that text beside it on request; or the
// placeholder for a file type it does not show.
#pragma once

#include <QString>
#include <QWidget>

#include <atomic>
#include <memory>

class QLabel;
class QVariantAnimation;

namespace zepla::ai {
class AIProvider;
class AssistantViewModel;
} // namespace zepla::ai

namespace zepla::pdfview {
class PDFView;
}

namespace zepla::ui {

class AssistantPanel;
class ToolbarLabeledButton;

class PreviewContentView : public QWidget {
    Q_OBJECT

public:
    static constexpr int assistantWidth = 380;
    static constexpr int assistantAnimationMs = 200;

    PreviewContentView(const QString& path, bool isSupported, QWidget* parent = nullptr);
    ~PreviewContentView() override;

    bool isSupported() const { return m_isSupported; }
    // The text the assistant works on, once read: the file's text, or the fixed message when it has none.
    bool isTextReady() const { return m_textReady; }
    const QString& indexedText() const { return m_indexedText; }
    // Shown in the assistant's place when the file gave no text.
    static QString noTextMessage();

    // The provider the assistant will talk to; the user's choice when none is given. Takes effect when the
    // text is ready.
    void setAssistantProvider(std::shared_ptr<const ai::AIProvider> provider);
    // Null until the text is ready.
    ai::AssistantViewModel* assistant() const { return m_assistant.get(); }
    // Null until first shown.
    AssistantPanel* assistantPanel() const { return m_panel; }
    bool showAssistant() const { return m_showAssistant; }
    // Ignored until the assistant exists.
    void setShowAssistant(bool show);

    // Null for the placeholder.
    pdfview::PDFView* pdfView() const { return m_pdfView; }
    QWidget* readingCapsule() const { return m_capsule; }
    ToolbarLabeledButton* askButton() const { return m_ask; }
    ToolbarLabeledButton* openButton() const { return m_open; }
    // The line that says why the file could not be shown; hidden while there is nothing to say.
    QLabel* errorLine() const { return m_error; }

    // Asks for another file and opens it on the road of its kind.
    void openNewDocument();

signals:
    void textReady();
    void showAssistantChanged(bool shown);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildPreview();
    void startExtraction();
    void placeCapsule();
    void makeAssistant();

    QString m_path;
    bool m_isSupported;
    bool m_didAttemptExtraction = false;
    bool m_textReady = false;
    QString m_indexedText;
    std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
    pdfview::PDFView* m_pdfView = nullptr;
    QWidget* m_capsule = nullptr;
    QLabel* m_error = nullptr;
    ToolbarLabeledButton* m_open = nullptr;
    ToolbarLabeledButton* m_ask = nullptr;
    std::shared_ptr<const ai::AIProvider> m_provider;
    std::shared_ptr<ai::AssistantViewModel> m_assistant;
    bool m_showAssistant = false;
    // Holds the divider and the panel; its width slides between 0 and the panel's.
    QWidget* m_assistantSlot = nullptr;
    AssistantPanel* m_panel = nullptr;
    QVariantAnimation* m_slide = nullptr;
};

} // namespace zepla::ui
