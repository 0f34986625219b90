// The list of the document's saved conversations shown by the panel's "Chat History" button: newest first,
// each with its title and how long ago it changed, the current one marked. A row switches to its
// conversation and closes the list; its trash button deletes the conversation and leaves the list open.
#pragma once

#include "chat/ChatSession.h"

#include <QDateTime>
#include <QFrame>
#include <QUuid>

#include <functional>

class QScrollArea;
class QToolButton;
class QVBoxLayout;

namespace zepla::ai {
class AssistantViewModel;
}

namespace zepla::ui {

class ChatHistoryListView : public QFrame {
    Q_OBJECT
public:
    static constexpr int listWidth = 280;
    static constexpr int maxScrollHeight = 340;

    // `dismiss` closes the popup that shows the list.
    ChatHistoryListView(ai::AssistantViewModel& viewModel, std::function<void()> dismiss,
                        QWidget* parent = nullptr);

    // The list in a popup under `anchor`, closed by a pick or a click outside; deleted when closed.
    static ChatHistoryListView* popUp(ai::AssistantViewModel& viewModel, QWidget* anchor);

    // The rows in order, and a row's parts, for the tests and the panel.
    QList<QWidget*> rows() const;
    static QUuid sessionID(const QWidget* row);
    static QToolButton* deleteButton(const QWidget* row);
    QScrollArea* scrollArea() const { return m_scroll; }
    QWidget* emptyLine() const { return m_empty; }

private:
    void scheduleRebuild();
    void rebuild();
    QWidget* row(const ai::ChatSession& session, const QDateTime& now);

    ai::AssistantViewModel& m_viewModel;
    std::function<void()> m_dismiss;
    QWidget* m_empty;
    QScrollArea* m_scroll;
    QWidget* m_rowsBox;
    QVBoxLayout* m_rows;
    bool m_rebuildScheduled = false;
};

} // namespace zepla::ui
