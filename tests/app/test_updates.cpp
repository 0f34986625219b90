// Help ▸ Check for Updates…: off without a feed, off while a check runs, and each answer said in a dialog
// whose button opens the download page through the desktop. The feed is served on 127.0.0.1.
#include "LandingTestSupport.h"
#include "app/DocumentController.h"
#include "app/UpdaterController.h"
#include "support/TestHttpServer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace zepla;
using ai::test::CannedReply;
using ai::test::TestHttpServer;

namespace {

QByteArray appcast(const QByteArray& version) {
    return "<rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
           "<item><link>https://zepla.example/download/" +
           version + "</link><sparkle:version>" + version + "</sparkle:version></item></channel></rss>";
}

QAction* checkItem(QMainWindow& window) {
    for (QAction* menu : window.menuBar()->actions())
        for (QAction* action : menu->menu()->actions())
            if (action->text() == QStringLiteral("Check for Updates…"))
                return action;
    return nullptr;
}

// The dialog of the last check.
QMessageBox* resultDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "updateCheckResult" && widget->isVisible())
            return qobject_cast<QMessageBox*>(widget);
    return nullptr;
}

QPushButton* button(QMessageBox* box, const QString& text) {
    for (QAbstractButton* candidate : box->buttons())
        if (candidate->text() == text)
            return qobject_cast<QPushButton*>(candidate);
    return nullptr;
}

// The application's menus over an update checker of the test's feed.
struct Shell {
    app::UpdaterController updater;
    app::DocumentController controller{updater};
    QMainWindow window;

    explicit Shell(platform::UpdateChecker::Options options) : updater(std::move(options)) {
        controller.installMenus(window, nullptr);
    }
};

platform::UpdateChecker::Options feedAt(const QUrl& feed) {
    platform::UpdateChecker::Options options{feed, QStringLiteral("1.2.0")};
    options.allowLoopbackHttp = true;
    options.timeLimit = std::chrono::milliseconds(400);
    return options;
}

// One check against a feed served with `reply`: the dialog that answers it, or null.
QMessageBox* answerTo(const CannedReply& reply) {
    TestHttpServer server;
    server.setReplies({reply});
    Shell shell(feedAt(server.baseAddress()));
    QSignalSpy shown(&shell.updater, &app::UpdaterController::resultShown);
    shell.updater.checkForUpdates();
    return shown.wait(testsupport::hangGuardMs) ? resultDialog() : nullptr;
}

} // namespace

class TestUpdates : public QObject {
    Q_OBJECT

    QList<QUrl> m_opened;

public slots:
    void openUrl(const QUrl& url) { m_opened << url; }

private slots:
    void initTestCase() {
        usePrivatePreferences();
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl");
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    void init() { m_opened.clear(); }

    void withoutAFeedTheItemStaysOff() {
        Shell shell({});
        QVERIFY(checkItem(shell.window));
        QVERIFY(!checkItem(shell.window)->isEnabled());
        QSignalSpy shown(&shell.updater, &app::UpdaterController::resultShown);
        shell.updater.checkForUpdates();
        QVERIFY(shown.isEmpty());
    }

    // A server that never answers keeps the check running until its time limit: the item is off meanwhile,
    // and comes back with the dialog that says so.
    void theItemIsOffWhileACheckRuns() {
        TestHttpServer server;
        server.setReplies({{200, "", "application/xml", CannedReply::Delivery::silent}});
        Shell shell(feedAt(server.baseAddress()));
        QAction* item = checkItem(shell.window);
        QVERIFY(item->isEnabled());
        QSignalSpy shown(&shell.updater, &app::UpdaterController::resultShown);
        item->trigger();
        QVERIFY(!item->isEnabled());
        QVERIFY(!shell.updater.canCheckForUpdates());
        item->trigger();
        QVERIFY(shown.wait(testsupport::hangGuardMs));
        QVERIFY(item->isEnabled());
        QCOMPARE(server.requests().size(), 1);
        QMessageBox* box = resultDialog();
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("Zepla could not check for updates"));
        QVERIFY2(box->informativeText().contains("did not answer"), qPrintable(box->informativeText()));
        QVERIFY(box->isVisible());
        box->close();
    }

    void aNewerVersionOffersItsDownloadPage() {
        QMessageBox* box = answerTo({200, appcast("1.3.0"), "application/rss+xml"});
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("A new version of Zepla is available!"));
        QCOMPARE(box->informativeText(),
                 QStringLiteral("Zepla 1.3.0 is now available—you have 1.2.0. Would you "
                                "like to open its download page?"));
        QPushButton* open = button(box, "Open Download Page");
        QVERIFY(open && button(box, "Not Now"));
        QCOMPARE(box->defaultButton(), open);
        QTest::mouseClick(open, Qt::LeftButton);
        QCOMPARE(m_opened, (QList<QUrl>{QUrl("https://zepla.example/download/1.3.0")}));
        QTRY_VERIFY(!box->isVisible());
    }

    void theSameVersionIsUpToDateAndOpensNothing() {
        QMessageBox* box = answerTo({200, appcast("1.2"), "application/rss+xml"});
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("You're up to date!"));
        QCOMPARE(box->informativeText(),
                 QStringLiteral("Zepla 1.2.0 is currently the newest version available."));
        QCOMPARE(box->buttons().size(), 1);
        QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
        QVERIFY(m_opened.isEmpty());
    }

    void aMalformedFeedIsReported() {
        QMessageBox* box = answerTo({200, "<html>maintenance</html>", "text/html"});
        QVERIFY(box);
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->text(), QStringLiteral("Zepla could not check for updates"));
        QCOMPARE(box->informativeText(),
                 QStringLiteral("The update feed could not be read: it is not an RSS feed."));
        box->close();
    }
};

QTEST_MAIN(TestUpdates)
#include "test_updates.moc"
