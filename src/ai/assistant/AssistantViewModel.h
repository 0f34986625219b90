// The chat state of one window, observed by the assistant panel: the draft, the turns shown, the running
// flag, the document's saved conversations and the current one, the model preference and a pending
// attachment. Submitting a question runs the agent loop against the window's document through the
// provider chosen when the model was made.
//
// Owned through a shared pointer: a run in progress keeps the model alive until it ends, so a window that
// closes mid-run drops it afterwards. Main thread only.
#pragma once

#include "chat/ChatSession.h"
#include "messages/AIProvider.h"
#include "tools/AssistantSource.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

namespace zepla::ai {

class AssistantViewModel : public QObject, public std::enable_shared_from_this<AssistantViewModel> {
    Q_OBJECT
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY isRunningChanged)
    Q_PROPERTY(bool isLoadingHistory READ isLoadingHistory NOTIFY isLoadingHistoryChanged)
    Q_PROPERTY(QString draft READ draft WRITE setDraft NOTIFY draftChanged)
    Q_PROPERTY(QString documentName READ documentName NOTIFY documentNameChanged)
    Q_PROPERTY(QUuid currentSessionID READ currentSessionID NOTIFY currentSessionIDChanged)

public:
    // Questions are answered in at most this many provider requests.
    static constexpr int maxProviderRequests = 10;

    // The built-in backend, or the rotating provider of the user's own keys when any are stored.
    static std::shared_ptr<const AIProvider> selectProvider();

    // Starts with one new conversation and loads the document's conversations in the background (none for a
    // source without a file); once they are in, the latest is shown, unless something was asked or shown
    // meanwhile, which stays current and is kept beside them.
    explicit AssistantViewModel(AssistantSource source,
                                std::shared_ptr<const AIProvider> provider = selectProvider());
    ~AssistantViewModel() override;

    const QList<AssistantTurn>& turns() const { return m_turns; }
    bool isRunning() const { return m_isRunning; }
    // While the stored conversations are being read; saves wait for them, so that none replaces them.
    bool isLoadingHistory() const { return m_isLoadingHistory; }
    const QString& draft() const { return m_draft; }
    void setDraft(const QString& draft);
    // Newest first.
    const QList<ChatSession>& sessions() const { return m_sessions; }
    QUuid currentSessionID() const { return m_currentSessionID; }
    // The file's name without its extension, "Untitled PDF" without a file.
    const QString& documentName() const { return m_documentName; }
    AIModelPreference modelPreference() const { return m_modelPreference; }
    void setModelPreference(AIModelPreference preference);
    const std::optional<QString>& attachmentName() const { return m_attachmentName; }
    const std::optional<QString>& attachmentContent() const { return m_attachmentContent; }

    // Once, after loading: why some stored conversations are missing and where the original file is kept.
    // Nothing when the whole history was read, or once it has been taken.
    std::optional<QString> takeHistoryNotice();

    // Shows a turn without sending anything (the workspace's recognised text); it is saved with the
    // session's next save.
    void appendTurn(const AssistantTurn& turn);

    // Sends the trimmed draft, with the pending attachment folded in, and starts the agent loop. Nothing
    // happens while running, or without text and attachment.
    void submit();
    // Reads a file as the pending attachment: the first 10 pages of a PDF, any other file as UTF-8 text.
    // A file that is not UTF-8 is refused with an error turn; an unreadable or blank one changes nothing.
    void attachFile(const QString& filePath);
    void removeAttachment();

    // None of these act while running.
    void startNewConversation();
    void switchToSession(const QUuid& id);
    // Refused for the current conversation while an answer is running, so the answer cannot land in
    // another conversation.
    bool canDeleteSession(const QUuid& id) const;
    void deleteSession(const QUuid& id);

    // The title a conversation gets at once from its first question: at most 42 characters, cut at a space,
    // then "…".
    static QString title(const QString& firstMessage);

    // What the model is sent: the provider history of the current conversation and the system prompt.
    const QList<AIMessage>& history() const { return m_history; }
    const QString& systemPrompt() const { return m_systemPrompt; }
    const QList<AssistantTool>& tools() const { return m_tools; }

signals:
    void turnsChanged();
    void isRunningChanged(bool running);
    void isLoadingHistoryChanged(bool loading);
    void draftChanged(const QString& draft);
    void sessionsChanged();
    void currentSessionIDChanged(const QUuid& id);
    void documentNameChanged(const QString& name);
    void modelPreferenceChanged(AIModelPreference preference);
    void attachmentNameChanged(const std::optional<QString>& name);
    void attachmentContentChanged(const std::optional<QString>& content);

private:
    void adoptHistory(QList<ChatSession> loaded, const QString& unreadableCopy);
    void persistCurrentSession();
    void showSession(const ChatSession& session);
    void setRunning(bool running);
    void setAttachment(std::optional<QString> name, std::optional<QString> content);
    void appendErrorTurn(const QString& text);
    void saveSessions();

    // The agent loop: one provider request per step, the tools of a reply run in between.
    void runAgentLoop();
    void sendStep(int step);
    void handleReply(int step, AIProviderResult result);
    void finishRun();

    void requestAITitle(const QUuid& sessionID, const QString& firstMessage);

    static QList<AIMessage> history(const QList<AssistantTurn>& turns);

    QList<AssistantTurn> m_turns;
    bool m_isRunning = false;
    QString m_draft;
    QList<ChatSession> m_sessions;
    QUuid m_currentSessionID;
    QString m_documentName;
    AIModelPreference m_modelPreference = AIModelPreference::highPerformance;
    std::optional<QString> m_attachmentName;
    std::optional<QString> m_attachmentContent;

    QList<AssistantTool> m_tools;
    std::shared_ptr<const AIProvider> m_provider;
    QList<AIMessage> m_history;
    std::optional<QString> m_documentKey;
    QString m_systemPrompt;
    std::optional<QString> m_historyNotice;
    bool m_isLoadingHistory = false;
    // A save asked for while loading, made once the stored conversations are in; until then the model keeps
    // itself alive, so that a window closed meanwhile still saves.
    bool m_saveWaitsForHistory = false;
    std::shared_ptr<AssistantViewModel> m_keptUntilLoaded;
};

} // namespace zepla::ai
