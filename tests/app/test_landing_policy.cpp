// When the landing window comes and goes: at launch, when document windows open and close, on a second
// launch, when the user closes it, and while quitting.
#include "LandingTestSupport.h"
#include "ShellFixture.h"
#include "app/DocumentWindow.h"
#include "app/WelcomeWindow.h"
#include "ui/landing/LandingView.h"
#include "ui/preview/PreviewWindowController.h"

#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace zepla;

namespace {

QWidget* landing(ShellFixture& shell) {
    return shell.delegate().welcomeWindow();
}
bool landingShown(ShellFixture& shell) {
    return landing(shell) && landing(shell)->isVisible();
}

app::DocumentWindow* openDocument(ShellFixture& shell, const QString& name) {
    const int before = int(shell.controller().documents().size());
    shell.controller().openDocument(shell.write(name));
    if (!QTest::qWaitFor([&] { return shell.controller().documents().size() > before; },
                         testsupport::hangGuardMs))
        return nullptr;
    return shell.controller().documents().constLast();
}

} // namespace

class TestLandingPolicy : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { usePrivatePreferences(); }
    void cleanup() { closeAlerts(); }

    void launchWithoutFilesShowsTheLandingWindowFillingTheScreen() {
        ShellFixture shell;
        shell.app->launch({});
        // Not inside the launch itself: on the next turn of the event loop.
        QVERIFY(!landingShown(shell));
        QTRY_VERIFY(landingShown(shell));
        QCOMPARE(landing(shell)->windowTitle(), QStringLiteral("Zepla"));
        QCOMPARE(landing(shell)->size(), QGuiApplication::primaryScreen()->availableGeometry().size());
        QVERIFY(shell.controller().documents().isEmpty());
    }

    void launchWithAPdfGoesStraightToTheDocumentWindow() {
        ShellFixture shell;
        shell.app->launch({shell.write("start.pdf")});
        // The landing window never flashes up while the file is read.
        bool landingSeen = false;
        QVERIFY(QTest::qWaitFor(
            [&] {
                landingSeen |= landing(shell) != nullptr;
                return shell.controller().documents().size() == 1;
            },
            testsupport::hangGuardMs));
        QVERIFY(!landingSeen && !landing(shell));
        QVERIFY(shell.controller().documents().first()->isVisible());
    }

    void launchWithADamagedFileShowsTheAlertThenTheLanding() {
        ShellFixture shell;
        shell.app->launch({shell.write("cut.pdf", fixtures::makeTextPdf(3).left(200))});
        QTRY_COMPARE(visibleAlerts().size(), 1);
        QVERIFY(!landing(shell));
        closeAlerts();
        QTRY_VERIFY(landingShown(shell));
        QVERIFY(shell.controller().documents().isEmpty());
    }

    void documentWindowTakesOverAndTheLastCloseBringsTheLandingBack() {
        ShellFixture shell;
        shell.app->launch({});
        QTRY_VERIFY(landingShown(shell));
        app::DocumentWindow* window = openDocument(shell, "a.pdf");
        QVERIFY(window);
        QTRY_VERIFY(!landing(shell));
        window->close();
        QTRY_VERIFY(landingShown(shell));
    }

    // The open panel runs its own event loop inside a call on the landing window, as its child: a document
    // that opens meanwhile (a conversion ending, a second launch) takes the landing off the screen at once,
    // but the window itself stays until the panel has returned.
    void aDocumentOpeningUnderTheOpenPanelClosesTheLandingOnceThePanelIsDone() {
        ShellFixture shell;
        shell.app->launch({});
        QTRY_VERIFY(landingShown(shell));
        const QPointer<QWidget> shown = landing(shell);
        const QString path = shell.write("meanwhile.pdf");
        bool hiddenUnderThePanel = false;
        QTimer::singleShot(0, [&] {
            shell.controller().openDocument(path);
            // Waiting delivers deferred deletions, as the panel's own loop does.
            hiddenUnderThePanel =
                QTest::qWaitFor([&] { return shown && !shown->isVisible(); }, testsupport::hangGuardMs);
            if (auto* panel = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                panel->reject();
        });
        shell.controller().runOpenDialog(shown);
        QVERIFY(hiddenUnderThePanel);
        QTRY_VERIFY(!shown);
        QVERIFY(shell.controller().documentFor(path)->isVisible());
    }

    void closingOneOfTwoDocumentWindowsShowsNoLanding() {
        ShellFixture shell;
        shell.app->launch({});
        app::DocumentWindow* first = openDocument(shell, "a.pdf");
        QVERIFY(openDocument(shell, "b.pdf"));
        QTRY_VERIFY(!landing(shell));
        first->close();
        QTest::qWait(50);
        QVERIFY(!landing(shell));
        QCOMPARE(shell.controller().documents().size(), 1);
    }

    void anotherVisibleWindowKeepsTheLandingAway() {
        ShellFixture shell;
        shell.app->launch({shell.write("notes.xyz")});
        // The preview window of a file of unknown type is a window of its own.
        QTRY_COMPARE(ui::PreviewWindowController::openControllers().size(), 1);
        QTest::qWait(50);
        QVERIFY(!landingShown(shell));
        ui::PreviewWindowController::openControllers().first()->window()->close();
        QTRY_VERIFY(landingShown(shell));
    }

    void closingTheLandingWindowWithNothingElseOpenQuits() {
        ShellFixture shell;
        shell.app->launch({});
        QTRY_VERIFY(landingShown(shell));
        landing(shell)->close();
        QTRY_VERIFY(shell.controller().isTerminating());
    }

    void aSecondLaunchWithoutFilesShowsTheLandingOnlyWhenNothingIsOnScreen() {
        ShellFixture shell;
        shell.app->launch({});
        app::DocumentWindow* window = openDocument(shell, "a.pdf");
        QTRY_VERIFY(!landing(shell));
        shell.delegate().reopen();
        QVERIFY(!landing(shell));
        QVERIFY(window->isVisible());

        window->hide();
        shell.delegate().reopen();
        QTRY_VERIFY(landingShown(shell));
    }

    void emptyDocumentWindowOpensAPdfInPlaceAndTheLandingCloses() {
        ShellFixture shell;
        app::DocumentWindow* window = shell.controller().newDocument();
        shell.delegate().showLandingPageIfNoWindowsVisible();
        QVERIFY(!landing(shell)); // the empty document window is visible
        window->hide();
        shell.delegate().showLandingPageIfNoWindowsVisible();
        QVERIFY(landingShown(shell));
        window->show();
        QTRY_VERIFY(!landing(shell));

        const QString path = shell.write("into.pdf");
        auto* view = window->findChild<ui::LandingView*>();
        QVERIFY(view);
        view->openDocumentAction(path);
        QTRY_COMPARE(window->filePath(), path);
        QCOMPARE(shell.controller().documents().size(), 1);
        QCOMPARE(window->document().pdfDocument()->pageCount(), 2);
    }

    void quittingClosesEveryWindowWithoutALanding() {
        ShellFixture shell;
        shell.app->launch({});
        QVERIFY(openDocument(shell, "a.pdf"));
        QVERIFY(openDocument(shell, "b.pdf"));
        shell.controller().terminate();
        QTRY_VERIFY(shell.controller().documents().isEmpty());
        QTest::qWait(50);
        QVERIFY(!landingShown(shell));
    }
};

QTEST_MAIN(TestLandingPolicy)
#include "test_landing_policy.moc"
