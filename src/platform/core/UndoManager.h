// A window's undo history: edits register their inverse closures, and running an inverse registers the redo.
#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

namespace zepla::platform {

// Every undoable edit registers a closure that reverts it, tagged with a target object. Running that
// closure (undo) is expected to register the forward edit again, which is filed as the redo; running the
// redo files its registrations as the undo again, so undo and redo alternate without limit.
//
// All registrations made during one turn of the event loop form one step, so that everything one user
// action changes is undone together; the step closes when control returns to the event loop. Steps are
// undone by running their closures in reverse order of registration.
//
// Main thread only.
class UndoManager : public QObject {
    Q_OBJECT

public:
    explicit UndoManager(QObject* parent = nullptr);

    // Outside undo and redo this starts or extends the current step and forgets every redo. While an
    // undo runs the closure becomes part of the redo step; while a redo runs, part of the undo step.
    // Actions of a target are dropped when the target is destroyed, so a closure never outlives it.
    void registerUndo(QObject* target, std::function<void()> closure);

    // Keeps the step of this turn's edits open until the returned hold is dropped, so that work finishing in
    // a later turn (pages drawn on workers) joins the step of the user action that started it. An undo or
    // redo meanwhile closes the step as usual.
    std::shared_ptr<void> holdStep();

    void undo();
    void redo();
    bool canUndo() const;
    bool canRedo() const;

    // Drops every action registered with the target; steps left empty disappear.
    void removeAllActions(QObject* target);
    // Empties both stacks.
    void removeAllActions();

    // Marks the present state as the saved one; undoing or redoing back to it makes the history clean again.
    void setClean();
    bool isClean() const;

signals:
    void canUndoChanged(bool canUndo);
    void canRedoChanged(bool canRedo);
    void cleanChanged(bool clean);

private:
    struct Action {
        QObject* target;
        std::function<void()> closure;
    };
    // A step keeps its state number while it travels between the stacks: the state reached by redoing a
    // step is the one that existed before it was undone.
    struct Step {
        std::uint64_t state;
        std::vector<Action> actions;
    };
    struct Availability {
        bool canUndo;
        bool canRedo;
        bool clean;
    };

    void closeGroup() { m_openState = 0; }
    void run(std::vector<Step>& from, std::vector<Step>& to);
    void removeActions(const std::function<bool(const Action&)>& matches);
    void watch(QObject* target);
    std::uint64_t currentState() const;
    Availability availability() const;
    void announce(const Availability& before);

    std::vector<Step> m_undoStack;
    std::vector<Step> m_redoStack;
    // The step being collected by a running undo or redo, destined for the opposite stack.
    Step m_collecting{};
    bool m_running = false;
    int m_holds = 0;
    // State number of the step that still collects this event-loop turn's registrations, 0 when none.
    std::uint64_t m_openState = 0;
    std::uint64_t m_nextState = 1;
    // State number 0 is the empty history.
    std::uint64_t m_cleanState = 0;
    std::unordered_set<const QObject*> m_watched;
};

} // namespace zepla::platform
