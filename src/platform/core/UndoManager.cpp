#include "core/UndoManager.h"

#include <QPointer>

#include <algorithm>
#include <limits>

namespace zepla::platform {

namespace {

// A clean point whose history has been discarded: no state ever matches it again.
constexpr std::uint64_t kUnreachable = std::numeric_limits<std::uint64_t>::max();

} // namespace

UndoManager::UndoManager(QObject* parent) : QObject(parent) {}

void UndoManager::registerUndo(QObject* target, std::function<void()> closure) {
    Q_ASSERT(target);
    watch(target);
    if (m_running) {
        m_collecting.actions.push_back({target, std::move(closure)});
        return;
    }
    const Availability before = availability();
    if (m_undoStack.empty() || m_undoStack.back().state != m_openState) {
        m_openState = m_nextState++;
        m_undoStack.push_back({m_openState, {}});
        // Closing on the next turn, not now, lets every edit of the current user action join this step.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_holds == 0)
                    closeGroup();
            },
            Qt::QueuedConnection);
    }
    m_undoStack.back().actions.push_back({target, std::move(closure)});
    m_redoStack.clear();
    announce(before);
}

std::shared_ptr<void> UndoManager::holdStep() {
    ++m_holds;
    const QPointer<UndoManager> manager(this);
    return std::shared_ptr<void>(nullptr, [manager](void*) {
        if (manager && --manager->m_holds == 0)
            QMetaObject::invokeMethod(
                manager,
                [manager] {
                    if (manager->m_holds == 0)
                        manager->closeGroup();
                },
                Qt::QueuedConnection);
    });
}

void UndoManager::undo() {
    run(m_undoStack, m_redoStack);
}

void UndoManager::redo() {
    run(m_redoStack, m_undoStack);
}

void UndoManager::run(std::vector<Step>& from, std::vector<Step>& to) {
    // An undo or redo started from inside a running closure would interleave two steps.
    if (m_running)
        return;
    closeGroup();
    if (from.empty())
        return;
    const Availability before = availability();
    const Step step = std::move(from.back());
    from.pop_back();
    m_collecting = {step.state, {}};
    m_running = true;
    for (auto action = step.actions.rbegin(); action != step.actions.rend(); ++action)
        action->closure();
    m_running = false;
    // An inverse that found nothing to change registers nothing, and leaves no empty step behind.
    if (!m_collecting.actions.empty())
        to.push_back(std::move(m_collecting));
    m_collecting = {};
    announce(before);
}

bool UndoManager::canUndo() const {
    return !m_undoStack.empty();
}

bool UndoManager::canRedo() const {
    return !m_redoStack.empty();
}

void UndoManager::removeAllActions(QObject* target) {
    removeActions([target](const Action& action) { return action.target == target; });
}

void UndoManager::removeAllActions() {
    removeActions([](const Action&) { return true; });
}

void UndoManager::removeActions(const std::function<bool(const Action&)>& matches) {
    const Availability before = availability();
    const bool wasClean = isClean();
    for (std::vector<Step>* stack : {&m_undoStack, &m_redoStack}) {
        for (Step& step : *stack)
            std::erase_if(step.actions, matches);
        std::erase_if(*stack, [](const Step& step) { return step.actions.empty(); });
    }
    std::erase_if(m_collecting.actions, matches);
    // Forgetting history does not change the document: a clean document stays clean, and a modified one
    // must not look clean because a step above its clean point went away.
    if (wasClean)
        m_cleanState = currentState();
    else if (isClean())
        m_cleanState = kUnreachable;
    announce(before);
}

void UndoManager::setClean() {
    const Availability before = availability();
    m_cleanState = currentState();
    announce(before);
}

bool UndoManager::isClean() const {
    return currentState() == m_cleanState;
}

void UndoManager::watch(QObject* target) {
    if (!m_watched.insert(target).second)
        return;
    connect(target, &QObject::destroyed, this, [this, target] {
        m_watched.erase(target);
        removeAllActions(target);
    });
}

std::uint64_t UndoManager::currentState() const {
    return m_undoStack.empty() ? 0 : m_undoStack.back().state;
}

UndoManager::Availability UndoManager::availability() const {
    return {canUndo(), canRedo(), isClean()};
}

void UndoManager::announce(const Availability& before) {
    const Availability now = availability();
    if (now.canUndo != before.canUndo)
        emit canUndoChanged(now.canUndo);
    if (now.canRedo != before.canRedo)
        emit canRedoChanged(now.canRedo);
    if (now.clean != before.clean)
        emit cleanChanged(now.clean);
}

} // namespace zepla::platform
