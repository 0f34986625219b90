// The scrolling conversation of the assistant panel: the greeting while there are no turns, else the "Today"
// row and one entry per turn, the typing bubble while an answer runs, and a scroll to the newest entry when
// turns are added or a run starts.
#pragma once

#include <QList>
#include <QPointer>
#include <QScrollArea>
#include <QVariantAnimation>

namespace zepla::ai {
class AssistantViewModel;
}

namespace zepla::ui {

class AnswerActions;
class TurnView;
class TypingIndicator;

class AssistantConversation : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int scrollMs = 400;

    AssistantConversation(ai::AssistantViewModel& viewModel, AnswerActions& actions,
                          QWidget* parent = nullptr);

    // The entries shown, in order.
    const QList<TurnView*>& turnViews() const { return m_turnViews; }
    QWidget* greeting() const { return m_greeting; }
    QWidget* todayRow() const { return m_today; }
    // Null while no answer runs.
    TypingIndicator* typingIndicator() const;
    QWidget* typingBubble() const { return m_typing; }

private:
    void syncTurns();
    void syncRunning(bool running);
    // Scrolls so that the bottom of `target` meets the bottom of the view, following later growth of the
    // content while the scroll is under way.
    void scrollToBottomOf(QWidget* target);
    void retarget();
    QWidget* makeGreeting();
    QWidget* makeTodayRow();
    QWidget* makeTypingBubble();

    ai::AssistantViewModel& m_viewModel;
    AnswerActions& m_actions;
    QWidget* m_content;
    QWidget* m_greeting;
    QWidget* m_today;
    QList<TurnView*> m_turnViews;
    QPointer<QWidget> m_typing;
    QPointer<QWidget> m_scrollTarget;
    QVariantAnimation m_scroll;
};

} // namespace zepla::ui
