// Saving runs on a worker: the window keeps answering, editing waits visibly behind a still picture of the
// content with a progress note past one second, and closing or quitting during a save waits for it.
#include "LandingTestSupport.h"
#include "ShellFixture.h"
#include "app/SaveProgressCover.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>

using namespace zepla;

namespace {

// Enough pages that writing and reading back the copy takes a while.
const QByteArray& largePdf() {
    static const QByteArray bytes = fixtures::makeTextPdf(6000);
    return bytes;
}

QAction* menuItem(app::DocumentWindow& window, const QString& text) {
    for (QAction* menu : window.menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            if (item->text() == text)
                return item;
    return nullptr;
}

QString titleOf(const QString& path) {
    auto pdf = pdf::Document::openFile(path);
    return pdf ? pdf.value()->infoValue("Title") : QStringLiteral("(unreadable)");
}

} // namespace

class TestBackgroundSave : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { usePrivatePreferences(); }
    void cleanup() { closeAlerts(); }

    void theWindowAnswersWhileEditingWaits() {
        ShellFixture shell;
        const QString path = shell.write("large.pdf", largePdf());
        app::DocumentWindow* window = openAndWait(shell, path);
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        editTitle(*window, "Saved in the background");
        QAction* undo = menuItem(*window, "Undo");
        QAction* save = menuItem(*window, "Save");
        QVERIFY(undo && save && undo->isEnabled());

        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(window->isSaving());
        auto* cover = window->findChild<app::SaveProgressCover*>();
        QVERIFY(cover && cover->isVisible());
        QVERIFY(!window->centralWidget()->isVisible());
        QVERIFY(!undo->isEnabled() && !save->isEnabled());

        // Ctrl+S returned with the save still running: the worker writes while the window answers. How many
        // event-loop turns fit into the write depends on the machine, so only its end is awaited.
        QTRY_VERIFY_WITH_TIMEOUT(!window->isSaving(), testsupport::longWorkGuardMs);
        QVERIFY(!window->findChild<app::SaveProgressCover*>());
        QVERIFY(window->centralWidget()->isVisible());
        QVERIFY(undo->isEnabled() && save->isEnabled());
        QVERIFY(!window->isDocumentEdited());
        QCOMPARE(titleOf(path), QStringLiteral("Saved in the background"));
    }

    // The cover over a plain content: a still picture in the content's place, a note past its delay, the
    // parent's resizes followed, and the content back with its focus when the cover goes.
    void theCoverStandsInForTheContent() {
        QWidget window;
        window.resize(600, 400);
        auto* content = new QLabel("content", &window);
        content->setFocusPolicy(Qt::StrongFocus);
        content->setGeometry(20, 30, 500, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        content->setFocus();
        const QImage picture = content->grab().toImage();
        QElapsedTimer clock;
        clock.start();
        auto cover = std::make_unique<app::SaveProgressCover>(*content, "a.pdf");
        QVERIFY(!content->isVisible());
        QCOMPARE(cover->geometry(), QRect(20, 30, 500, 300));
        QCOMPARE(cover->grab().toImage().convertToFormat(picture.format()), picture);
        QPointer<QWidget> progress = cover->findChild<QWidget*>("saveProgress");
        QVERIFY(progress && !progress->isVisible());
        auto* label = progress->findChild<QLabel*>();
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Saving “a.pdf”…"));
        QTRY_VERIFY_WITH_TIMEOUT(progress->isVisible(), testsupport::hangGuardMs);
        QVERIFY(clock.elapsed() >= app::SaveProgressCover::progressDelayMs - 50);
        window.resize(700, 450);
        QTRY_COMPARE(cover->geometry(), QRect(20, 30, 600, 350));
        cover.reset();
        QVERIFY(content->isVisible());
        QCOMPARE(QApplication::focusWidget(), content);
    }

    void closingOrQuittingDuringASaveWaitsForIt_data() {
        QTest::addColumn<bool>("quit");
        QTest::newRow("close") << false;
        QTest::newRow("quit") << true;
    }
    void closingOrQuittingDuringASaveWaitsForIt() {
        QFETCH(bool, quit);
        ShellFixture shell;
        const QString path = shell.write("large.pdf", largePdf());
        app::DocumentWindow* window = openAndWait(shell, path);
        QVERIFY(window);
        editTitle(*window, "Kept");
        std::optional<bool> saved;
        window->save([&](bool ok) { saved = ok; });
        if (quit)
            shell.controller().terminate();
        else
            window->close();
        QVERIFY(!saved.has_value());
        QVERIFY(window->isVisible());
        QVERIFY(!window->closePrompt());
        QTRY_VERIFY_WITH_TIMEOUT(shell.controller().documents().isEmpty(), testsupport::longWorkGuardMs);
        QCOMPARE(saved, std::optional<bool>(true));
        QCOMPARE(titleOf(path), QStringLiteral("Kept"));
    }
};

QTEST_MAIN(TestBackgroundSave)
#include "test_background_save.moc"
