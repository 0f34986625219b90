// State, sessions and submission of the assistant view model.
#include "assistant/AssistantViewModel.h"

#include "assistant/AttachmentReader.h"
#include "assistant/SystemPrompts.h"
#include "chat/ChatHistoryStore.h"
#include "keys/APIKeyStore.h"
#include "providers/BackendAIProvider.h"
#include "providers/RotatingAIProvider.h"
#include "tools/AssistantToolFactory.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFuture>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace zepla::ai {

namespace {

void sortNewestFirst(QList<ChatSession>& sessions) {
    std::stable_sort(sessions.begin(), sessions.end(),
                     [](const ChatSession& a, const ChatSession& b) { return a.updatedAt > b.updatedAt; });
}

} // namespace

std::shared_ptr<const AIProvider> AssistantViewModel::selectProvider() {
    if (!APIKeyStore::allKeys(APIProviderKind::ollama).isEmpty() ||
        !APIKeyStore::allKeys(APIProviderKind::groq).isEmpty())
        return std::make_shared<RotatingAIProvider>();
    return std::make_shared<BackendAIProvider>();
}

AssistantViewModel::AssistantViewModel(AssistantSource source, std::shared_ptr<const AIProvider> provider)
    : m_documentName(QStringLiteral("Untitled PDF")), m_tools(AssistantToolFactory::makeTools(source)),
      m_provider(std::move(provider)),
      m_systemPrompt(source.isTextOnly() ? SystemPrompts::preview() : SystemPrompts::document()) {
    m_sessions = {ChatSession::make()};
    m_currentSessionID = m_sessions.first().id;
    const QString filePath = source.filePath();
    if (filePath.isEmpty())
        return;
    m_documentKey = filePath;
    m_documentName = QFileInfo(filePath).completeBaseName();
    m_isLoadingHistory = true;
    // The history is read on the writer's thread, and this model may go with its window meanwhile. A
    // continuation with this model as its context would post to it from that thread, racing its deletion
    // here; the application outlives both, and the guard is read on this thread only.
    ChatHistoryStore::load(filePath).then(
        QCoreApplication::instance(),
        [self = QPointer<AssistantViewModel>(this)](const ChatHistoryStore::ChatHistory& stored) {
            if (self)
                self->adoptHistory(stored.sessions, stored.unreadableCopy);
        });
}

void AssistantViewModel::adoptHistory(QList<ChatSession> loaded, const QString& unreadableCopy) {
    if (!unreadableCopy.isEmpty())
        m_historyNotice =
            tr("Some saved chats of “%1” could not be read and are left out. The original chat history is "
               "kept in “%2”.")
                .arg(m_documentName, unreadableCopy);
    m_isLoadingHistory = false;
    const bool untouched = m_turns.isEmpty() && !m_saveWaitsForHistory;
    if (!loaded.isEmpty()) {
        if (untouched) {
            // The latest session: the first of equals in file order, which the stable sort keeps first.
            m_sessions = std::move(loaded);
            sortNewestFirst(m_sessions);
            showSession(m_sessions.first());
        } else {
            m_sessions += loaded;
            sortNewestFirst(m_sessions);
        }
        emit sessionsChanged();
    }
    emit isLoadingHistoryChanged(false);
    if (std::exchange(m_saveWaitsForHistory, false))
        saveSessions();
    // Let go from the event loop, not from inside the model's own call.
    if (m_keptUntilLoaded)
        QTimer::singleShot(0, [kept = std::exchange(m_keptUntilLoaded, nullptr)] {});
}

AssistantViewModel::~AssistantViewModel() = default;

std::optional<QString> AssistantViewModel::takeHistoryNotice() {
    return std::exchange(m_historyNotice, std::nullopt);
}

void AssistantViewModel::setDraft(const QString& draft) {
    if (draft == m_draft)
        return;
    m_draft = draft;
    emit draftChanged(m_draft);
}

void AssistantViewModel::setModelPreference(AIModelPreference preference) {
    if (preference == m_modelPreference)
        return;
    m_modelPreference = preference;
    emit modelPreferenceChanged(preference);
}

void AssistantViewModel::appendTurn(const AssistantTurn& turn) {
    m_turns.append(turn);
    emit turnsChanged();
}

void AssistantViewModel::appendErrorTurn(const QString& text) {
    appendTurn({QUuid::createUuid(), AssistantTurn::Role::error, text});
}

void AssistantViewModel::setRunning(bool running) {
    if (running == m_isRunning)
        return;
    m_isRunning = running;
    emit isRunningChanged(running);
}

void AssistantViewModel::setAttachment(std::optional<QString> name, std::optional<QString> content) {
    const bool nameChanged = name != m_attachmentName;
    const bool contentChanged = content != m_attachmentContent;
    m_attachmentName = std::move(name);
    m_attachmentContent = std::move(content);
    if (nameChanged)
        emit attachmentNameChanged(m_attachmentName);
    if (contentChanged)
        emit attachmentContentChanged(m_attachmentContent);
}

void AssistantViewModel::submit() {
    const QString text = m_draft.trimmed();
    if ((text.isEmpty() && !m_attachmentContent) || m_isRunning)
        return;
    setDraft(QString());
    QString bubble = text;
    QString modelText = text;
    if (m_attachmentName && m_attachmentContent) {
        const QString& name = *m_attachmentName;
        if (text.isEmpty())
            bubble = QStringLiteral("Attached file: ") + name;
        modelText = QStringLiteral("Context from attached file '") + name + QStringLiteral("':\n---\n") +
                    *m_attachmentContent + QStringLiteral("\n---\n\n") +
                    (text.isEmpty() ? QStringLiteral("Summarize or explain this attached file.") : text);
        setAttachment(std::nullopt, std::nullopt);
    }
    appendTurn({QUuid::createUuid(), AssistantTurn::Role::user, bubble});
    m_history.append(AIMessage::userText(modelText));
    persistCurrentSession();
    setRunning(true);
    runAgentLoop();
}

void AssistantViewModel::attachFile(const QString& filePath) {
    const auto attached = AttachmentReader::read(filePath);
    if (!attached)
        appendErrorTurn(attached.error());
    else if (attached.value())
        setAttachment(attached.value()->name, attached.value()->content);
}

void AssistantViewModel::removeAttachment() {
    setAttachment(std::nullopt, std::nullopt);
}

void AssistantViewModel::persistCurrentSession() {
    const auto current = std::find_if(m_sessions.begin(), m_sessions.end(),
                                      [&](const ChatSession& s) { return s.id == m_currentSessionID; });
    if (current == m_sessions.end())
        return;
    current->turns = m_turns;
    current->updatedAt = QDateTime::currentDateTimeUtc();
    const auto firstQuestion = std::find_if(m_turns.cbegin(), m_turns.cend(), [](const AssistantTurn& t) {
        return t.role == AssistantTurn::Role::user;
    });
    if (current->title == ChatSession::newChatTitle() && firstQuestion != m_turns.cend()) {
        current->title = title(firstQuestion->text);
        requestAITitle(current->id, firstQuestion->text);
    }
    sortNewestFirst(m_sessions);
    emit sessionsChanged();
    saveSessions();
}

void AssistantViewModel::saveSessions() {
    if (!m_documentKey)
        return;
    if (m_isLoadingHistory) {
        m_saveWaitsForHistory = true;
        if (!m_keptUntilLoaded)
            m_keptUntilLoaded = weak_from_this().lock();
        return;
    }
    ChatHistoryStore::save(m_sessions, *m_documentKey);
}

void AssistantViewModel::showSession(const ChatSession& session) {
    const bool idChanged = session.id != m_currentSessionID;
    m_currentSessionID = session.id;
    m_turns = session.turns;
    m_history = history(m_turns);
    if (idChanged)
        emit currentSessionIDChanged(m_currentSessionID);
    emit turnsChanged();
}

void AssistantViewModel::startNewConversation() {
    if (m_isRunning)
        return;
    persistCurrentSession();
    m_sessions.prepend(ChatSession::make());
    emit sessionsChanged();
    showSession(m_sessions.first());
    setDraft(QString());
}

void AssistantViewModel::switchToSession(const QUuid& id) {
    if (m_isRunning || id == m_currentSessionID)
        return;
    persistCurrentSession();
    const auto target = std::find_if(m_sessions.cbegin(), m_sessions.cend(),
                                     [&](const ChatSession& s) { return s.id == id; });
    if (target != m_sessions.cend())
        showSession(*target);
}

bool AssistantViewModel::canDeleteSession(const QUuid& id) const {
    return !(m_isRunning && id == m_currentSessionID);
}

void AssistantViewModel::deleteSession(const QUuid& id) {
    if (!canDeleteSession(id))
        return;
    m_sessions.removeIf([&](const ChatSession& s) { return s.id == id; });
    if (id == m_currentSessionID) {
        if (m_sessions.isEmpty())
            m_sessions.append(ChatSession::make());
        showSession(m_sessions.first());
    }
    emit sessionsChanged();
    saveSessions();
}

QList<AIMessage> AssistantViewModel::history(const QList<AssistantTurn>& turns) {
    QList<AIMessage> messages;
    for (const AssistantTurn& turn : turns) {
        if (turn.role == AssistantTurn::Role::error)
            continue;
        const AIRole role = turn.role == AssistantTurn::Role::user ? AIRole::user : AIRole::assistant;
        messages.append({role, {AIContentPart::text(turn.text)}});
    }
    return messages;
}

} // namespace zepla::ai
