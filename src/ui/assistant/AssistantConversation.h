// The scrolling conversation of the assistant panel: the greeting while there are no turns (once the stored
// conversations are in), else the "Today" row and one entry per turn, the typing bubble while an answer
// runs, and a scroll to the newest entry when turns are added or a run starts. Only the turns near the
// visible part have views, so a conversation of any length stays quick and small.
#pragma once

#include "chat/ChatSession.h"

#include <QList>
#include <QScrollArea>
#include <QVariantAnimation>

namespace zepla::ai {
class AssistantViewModel;
}

namespace zepla::ui {

class AnswerActions;
class LazyColumn;
class TurnView;
class TypingIndicator;

class AssistantConversation : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int scrollMs = 400;

    AssistantConversation(ai::AssistantViewModel& viewModel, AnswerActions& actions,
                          QWidget* parent = nullptr);

    qsizetype turnCount() const { return m_turns.size(); }
    // The entry of a turn; null while it is far from the visible part.
    TurnView* turnView(qsizetype index) const;
    // The entries that have views now, in order.
    QList<TurnView*> liveTurnViews() const;
    QWidget* greeting() const { return m_greeting; }
    QWidget* todayRow() const { return m_today; }
    // Null while no answer runs.
    TypingIndicator* typingIndicator() const;
    QWidget* typingBubble() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void syncTurns();
    void syncRunning(bool running);
    void syncVisibleArea();
    // A guess of an entry's height before it has a view, from its text.
    int estimateHeight(qsizetype index, int width) const;
    // Scrolls to the end, following later growth of the content while the scroll is under way.
    void scrollToEnd();
    void retarget();
    QWidget* makeGreeting();
    QWidget* makeTodayRow();
    QWidget* makeTypingBubble();

    ai::AssistantViewModel& m_viewModel;
    AnswerActions& m_actions;
    // The turns the entries show.
    QList<ai::AssistantTurn> m_turns;
    LazyColumn* m_column;
    QWidget* m_greeting;
    QWidget* m_today;
    // From a scroll to the end until the user scrolls: the view goes to the end and, once there, stays at
    // it while the turns grow or are measured, so that the end does not move on screen.
    bool m_following = false;
    bool m_landed = false;
    QVariantAnimation m_scroll;
};

} // namespace zepla::ui
