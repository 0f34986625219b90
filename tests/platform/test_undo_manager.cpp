// The undo manager: inverse closures that register their redo, one step per event-loop turn, clean state.
#include "core/UndoManager.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using zepla::platform::UndoManager;

namespace {

// A model edited the way documents are: every change registers its inverse, and the inverse registers the
// change again. `entries` is the model's state; `ran` records every change and inverse in the order run.
class Journal : public QObject {
public:
    explicit Journal(UndoManager& undo) : m_undo(undo) {}

    QStringList entries;
    QStringList ran;

    void apply(const QString& edit) {
        entries.append(edit);
        ran.append("+" + edit);
        m_undo.registerUndo(this, [this, edit] { revert(edit); });
    }

    void revert(const QString& edit) {
        entries.removeAt(entries.lastIndexOf(edit));
        ran.append("-" + edit);
        m_undo.registerUndo(this, [this, edit] { apply(edit); });
    }

private:
    UndoManager& m_undo;
};

// Lets the event loop run once, which ends the current undo step.
void endTurn() {
    QCoreApplication::processEvents();
}

// The Boolean argument of every signal a spy has seen.
QList<bool> signalled(const QSignalSpy& spy) {
    QList<bool> values;
    for (const QList<QVariant>& arguments : spy)
        values.append(arguments.at(0).toBool());
    return values;
}

} // namespace

class TestUndoManager : public QObject {
    Q_OBJECT

private slots:
    void undoAndRedoAlternateWithoutLimit() {
        UndoManager undo;
        Journal journal(undo);
        QVERIFY(!undo.canUndo());
        QVERIFY(!undo.canRedo());
        journal.apply("a");
        endTurn();
        for (int round = 0; round < 100; ++round) {
            undo.undo();
            QCOMPARE(journal.entries, QStringList());
            QVERIFY(!undo.canUndo());
            QVERIFY(undo.canRedo());
            undo.redo();
            QCOMPARE(journal.entries, QStringList{"a"});
            QVERIFY(undo.canUndo());
            QVERIFY(!undo.canRedo());
        }
    }

    void historyIsWalkedDownAndUpInOrder() {
        UndoManager undo;
        Journal journal(undo);
        for (const QString edit : {"a", "b", "c"}) {
            journal.apply(edit);
            endTurn();
        }
        undo.undo();
        undo.undo();
        QCOMPARE(journal.entries, QStringList{"a"});
        undo.redo();
        QCOMPARE(journal.entries, (QStringList{"a", "b"}));
        undo.undo();
        undo.undo();
        QCOMPARE(journal.entries, QStringList());
        QVERIFY(!undo.canUndo());
        undo.undo();
        QCOMPARE(journal.entries, QStringList());
        for (int i = 0; i < 3; ++i)
            undo.redo();
        QCOMPARE(journal.entries, (QStringList{"a", "b", "c"}));
        QVERIFY(!undo.canRedo());
    }

    void registrationsOfOneTurnFormOneStep() {
        UndoManager undo;
        Journal journal(undo);
        journal.apply("a");
        journal.apply("b");
        endTurn();
        journal.apply("c");
        endTurn();

        undo.undo();
        QCOMPARE(journal.entries, (QStringList{"a", "b"}));
        journal.ran.clear();
        undo.undo();
        QCOMPARE(journal.entries, QStringList());
        // A step is taken back last edit first, and redone first edit first.
        QCOMPARE(journal.ran, (QStringList{"-b", "-a"}));
        QVERIFY(!undo.canUndo());
        journal.ran.clear();
        undo.redo();
        QCOMPARE(journal.ran, (QStringList{"+a", "+b"}));
        undo.redo();
        QCOMPARE(journal.entries, (QStringList{"a", "b", "c"}));
        // The redone step is still one step.
        undo.undo();
        undo.undo();
        QCOMPARE(journal.entries, QStringList());
    }

    void aHeldStepCollectsLaterTurnsUntilReleased() {
        UndoManager undo;
        Journal journal(undo);
        journal.apply("a");
        endTurn();
        journal.apply("mark");
        std::shared_ptr<void> hold = undo.holdStep();
        endTurn();
        endTurn();
        journal.apply("burn");
        endTurn();
        hold.reset();
        endTurn();
        journal.apply("b");
        endTurn();

        undo.undo();
        QCOMPARE(journal.entries, (QStringList{"a", "mark", "burn"}));
        // The held step: the action and the work that finished turns later, taken back together.
        undo.undo();
        QCOMPARE(journal.entries, QStringList{"a"});
        undo.redo();
        QCOMPARE(journal.entries, (QStringList{"a", "mark", "burn"}));
    }

    void undoClosesTheOpenStep() {
        UndoManager undo;
        Journal journal(undo);
        journal.apply("a");
        endTurn();
        journal.apply("b");
        journal.apply("c");
        undo.undo();
        QCOMPARE(journal.entries, QStringList{"a"});
        // Still the same turn: a new edit starts a step of its own instead of reopening the undone one.
        journal.apply("d");
        QVERIFY(!undo.canRedo());
        undo.undo();
        QCOMPARE(journal.entries, QStringList{"a"});
        undo.undo();
        QCOMPARE(journal.entries, QStringList());
        QVERIFY(!undo.canUndo());

        // Nor does an edit join a step that was undone and redone within the same turn.
        journal.apply("e");
        undo.undo();
        undo.redo();
        journal.apply("f");
        undo.undo();
        QCOMPARE(journal.entries, QStringList{"e"});
    }

    void newEditForgetsRedo() {
        UndoManager undo;
        Journal journal(undo);
        journal.apply("a");
        endTurn();
        undo.undo();
        QVERIFY(undo.canRedo());
        QSignalSpy redoSpy(&undo, &UndoManager::canRedoChanged);
        journal.apply("b");
        QVERIFY(!undo.canRedo());
        QCOMPARE(signalled(redoSpy), QList<bool>{false});
        undo.redo();
        QCOMPARE(journal.entries, QStringList{"b"});
    }

    void availabilitySignalsFollowTheStacks() {
        UndoManager undo;
        Journal journal(undo);
        QSignalSpy undoSpy(&undo, &UndoManager::canUndoChanged);
        QSignalSpy redoSpy(&undo, &UndoManager::canRedoChanged);
        journal.apply("a");
        journal.apply("b");
        endTurn();
        undo.undo();
        undo.redo();
        QCOMPARE(signalled(undoSpy), (QList<bool>{true, false, true}));
        QCOMPARE(signalled(redoSpy), (QList<bool>{true, false}));
    }

    void cleanStateFollowsTheCleanPoint() {
        UndoManager undo;
        Journal journal(undo);
        QVERIFY(undo.isClean());
        journal.apply("a");
        endTurn();
        QVERIFY(!undo.isClean());
        undo.setClean();
        QVERIFY(undo.isClean());

        QSignalSpy cleanSpy(&undo, &UndoManager::cleanChanged);
        journal.apply("b");
        endTurn();
        QVERIFY(!undo.isClean());
        const std::pair<void (UndoManager::*)(), bool> walk[] = {{&UndoManager::undo, true},
                                                                 {&UndoManager::undo, false},
                                                                 {&UndoManager::redo, true},
                                                                 {&UndoManager::redo, false}};
        for (const auto& [move, clean] : walk) {
            (undo.*move)();
            QCOMPARE(undo.isClean(), clean);
        }
        QCOMPARE(signalled(cleanSpy), (QList<bool>{false, true, false, true, false}));

        // Back at the clean point, another edit makes the document modified, and undoing it makes it clean.
        undo.undo();
        journal.apply("c");
        endTurn();
        QVERIFY(!undo.isClean());
        undo.undo();
        QVERIFY(undo.isClean());

        // Once the clean point has been undone and replaced by another edit, it can never be reached again.
        undo.undo();
        journal.apply("d");
        endTurn();
        undo.undo();
        QCOMPARE(journal.entries, QStringList());
        QVERIFY(!undo.isClean());
    }

    void inversesThatRegisterNothingOrTwice() {
        UndoManager undo;
        Journal journal(undo);
        QObject target;
        int runs = 0;
        // An inverse that finds nothing to change registers no redo: no empty redo step appears.
        undo.registerUndo(&target, [&runs] { ++runs; });
        endTurn();
        undo.undo();
        QCOMPARE(runs, 1);
        QVERIFY(!undo.canUndo());
        QVERIFY(!undo.canRedo());

        // An inverse that registers twice files both registrations as one redo step.
        undo.registerUndo(&target, [&journal] {
            journal.apply("x");
            journal.apply("y");
        });
        endTurn();
        undo.undo();
        QCOMPARE(journal.entries, (QStringList{"x", "y"}));
        undo.redo();
        QCOMPARE(journal.entries, QStringList());
        QVERIFY(!undo.canRedo());
        undo.undo();
        QCOMPARE(journal.entries, (QStringList{"x", "y"}));
    }

    void undoFromInsideAClosureIsIgnored() {
        UndoManager undo;
        Journal journal(undo);
        journal.apply("a");
        endTurn();
        QObject target;
        undo.registerUndo(&target, [&undo] { undo.undo(); });
        endTurn();
        undo.undo();
        QCOMPARE(journal.entries, QStringList{"a"});
        QVERIFY(undo.canUndo());
    }

    void removeAllActionsForOneTarget() {
        UndoManager undo;
        Journal first(undo);
        Journal second(undo);
        first.apply("a");
        endTurn();
        second.apply("b");
        endTurn();
        first.apply("c");
        second.apply("d");
        endTurn();

        undo.removeAllActions(&first);
        undo.undo();
        QCOMPARE(second.entries, QStringList{"b"});
        QCOMPARE(first.entries, (QStringList{"a", "c"}));
        undo.undo();
        QCOMPARE(second.entries, QStringList());
        // The step that held only the first journal's edit is gone.
        QVERIFY(!undo.canUndo());
        QCOMPARE(first.entries, (QStringList{"a", "c"}));

        QSignalSpy redoSpy(&undo, &UndoManager::canRedoChanged);
        undo.removeAllActions(&second);
        QVERIFY(!undo.canRedo());
        QCOMPARE(signalled(redoSpy), QList<bool>{false});
    }

    void removeAllActionsKeepsTheDocumentsState() {
        UndoManager undo;
        Journal first(undo);
        Journal second(undo);
        first.apply("a");
        endTurn();
        undo.setClean();
        second.apply("b");
        endTurn();
        // The edit of the second journal is still in the document, so dropping its step leaves it modified.
        undo.removeAllActions(&second);
        QVERIFY(undo.canUndo());
        QVERIFY(!undo.isClean());

        undo.setClean();
        QSignalSpy undoSpy(&undo, &UndoManager::canUndoChanged);
        undo.removeAllActions();
        QVERIFY(!undo.canUndo());
        QVERIFY(!undo.canRedo());
        QVERIFY(undo.isClean());
        QCOMPARE(signalled(undoSpy), QList<bool>{false});
    }

    void destroyedTargetTakesItsActionsAlong() {
        UndoManager undo;
        Journal kept(undo);
        kept.apply("a");
        endTurn();
        auto doomed = std::make_unique<Journal>(undo);
        doomed->apply("b");
        kept.apply("c");
        endTurn();
        doomed.reset();
        undo.undo();
        QCOMPARE(kept.entries, QStringList{"a"});
        undo.undo();
        QCOMPARE(kept.entries, QStringList());
        QVERIFY(!undo.canUndo());
    }
};

QTEST_GUILESS_MAIN(TestUndoManager)
#include "test_undo_manager.moc"
