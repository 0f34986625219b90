// One entry of the conversation: a user bubble, an answer with its row of actions, or an error.
#pragma once

#include "chat/ChatSession.h"

#include <QWidget>

namespace zepla::ai {
class AssistantViewModel;
}

namespace zepla::ui {

class AnswerActions;

class TurnView : public QWidget {
    Q_OBJECT
public:
    TurnView(const ai::AssistantTurn& turn, ai::AssistantViewModel& viewModel, AnswerActions& actions,
             QWidget* parent = nullptr);

    const ai::AssistantTurn& turn() const { return m_turn; }

private:
    QWidget* userBubble();
    QWidget* answer(ai::AssistantViewModel& viewModel, AnswerActions& actions);
    QWidget* assistantActionsRow(ai::AssistantViewModel& viewModel, AnswerActions& actions);
    QWidget* errorRow();

    ai::AssistantTurn m_turn;
};

} // namespace zepla::ui
