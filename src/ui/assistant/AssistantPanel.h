// The assistant side panel of a document or preview window: the header with its buttons, the conversation
// and the input area, over one window's view model. The host decides its width and what its sidebar and
// close buttons do.
#pragma once

#include <QWidget>

#include <functional>
#include <memory>

class QToolButton;

namespace zepla::ai {
class AssistantViewModel;
}

namespace zepla::ui {

class AnswerActions;
class AssistantConversation;
class AssistantInputArea;
class ChatHistoryListView;

class AssistantPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int minWidth = 260;
    static constexpr int maxWidth = 900;

    // An absent action leaves its button doing nothing. The panel keeps the view model alive.
    AssistantPanel(std::shared_ptr<ai::AssistantViewModel> viewModel, std::function<void()> onToggleSidebar,
                   std::function<void()> onClose, QWidget* parent = nullptr);
    ~AssistantPanel() override;

    ai::AssistantViewModel& viewModel() const { return *m_viewModel; }
    AssistantConversation* conversation() const { return m_conversation; }
    AssistantInputArea* inputArea() const { return m_inputArea; }
    AnswerActions& answerActions() const { return *m_actions; }
    // The header button with this tooltip.
    QToolButton* headerButton(const QString& toolTip) const;
    // The history list while it is shown.
    ChatHistoryListView* historyList() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeHeader();
    void showHistory();
    void openSettings();
    void tellUser(const QString& message);
    void tellHistoryNotice();

    std::shared_ptr<ai::AssistantViewModel> m_viewModel;
    std::function<void()> m_onToggleSidebar;
    std::function<void()> m_onClose;
    AnswerActions* m_actions;
    QWidget* m_header;
    AssistantConversation* m_conversation;
    AssistantInputArea* m_inputArea;
    QToolButton* m_historyButton = nullptr;
};

} // namespace zepla::ui
