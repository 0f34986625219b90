// The chat history list in the panel's popup: rows newest first with the current one marked, a tap that
// switches and closes, a trash button that deletes and stays, the running conversation kept, the height
// limit.
#include "PanelFixture.h"
#include "ui/assistant/ChatHistoryListView.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

using namespace zepla;
using namespace zepla::ui;

namespace {

// Makes `count` conversations of one question each; the last made is current.
void makeConversations(test::PanelFixture& f, int count) {
    f.provider->setReplies({ai::test::finalReply("Noted.")});
    for (int index = 0; index < count; ++index) {
        if (index > 0)
            f.model->startNewConversation();
        f.model->setDraft(QString("Question number %1").arg(index));
        f.model->submit();
        QTRY_VERIFY(!f.model->isRunning());
    }
}

QString title(const QWidget* row) {
    return row->findChild<QLabel*>("title")->text();
}

} // namespace

class TestChatHistoryList : public QObject {
    Q_OBJECT

private slots:
    void rowsSwitchAndClose() {
        test::PanelFixture f;
        makeConversations(f, 3);
        QTest::mouseClick(f.panel->headerButton("Chat History"), Qt::LeftButton);
        ChatHistoryListView* list = f.panel->historyList();
        QVERIFY(list);
        QTRY_VERIFY(list->window()->isVisible());
        const QList<QWidget*> rows = list->rows();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(title(rows[0]), QString("Question number 2"));
        QVERIFY(rows[0]->findChild<QLabel*>("checkmark"));
        QVERIFY(!rows[1]->findChild<QLabel*>("checkmark"));
        QVERIFY(rows[1]->findChild<QLabel*>("date")->text().endsWith("ago"));
        QVERIFY(!list->emptyLine()->isVisibleTo(list));
        // The list is on the popover's own colour under its header and under its rows alike.
        const QImage shot = list->grab().toImage();
        const QRgb listColour = qRgb(250, 247, 245);
        QCOMPARE(shot.pixel(list->width() / 2, 2), listColour);
        const QPoint besideRow = rows[1]->mapTo(list, QPoint(0, rows[1]->height() / 2)) - QPoint(3, 0);
        QCOMPARE(shot.pixel(besideRow * shot.devicePixelRatio()), listColour);

        // A tap anywhere on the row, not only on its text, switches and closes the list.
        const QUuid second = ChatHistoryListView::sessionID(rows[1]);
        QTest::mouseClick(rows[1], Qt::LeftButton, {}, QPoint(rows[1]->width() / 2, 3));
        QCOMPARE(f.model->currentSessionID(), second);
        QCOMPARE(f.model->turns().first().text, QString("Question number 1"));
        QTRY_VERIFY(!f.panel->historyList());
    }

    void trashDeletesWithoutSwitching() {
        test::PanelFixture f;
        makeConversations(f, 3);
        const QUuid current = f.model->currentSessionID();
        QTest::mouseClick(f.panel->headerButton("Chat History"), Qt::LeftButton);
        ChatHistoryListView* list = f.panel->historyList();
        QWidget* oldest = list->rows()[2];
        QCOMPARE(ChatHistoryListView::deleteButton(oldest)->toolTip(), QString("Delete this chat"));
        QTest::mouseClick(ChatHistoryListView::deleteButton(oldest), Qt::LeftButton);
        QTRY_COMPARE(list->rows().size(), 2);
        QCOMPARE(f.model->currentSessionID(), current);
        QVERIFY(f.panel->historyList());

        // Deleting the current one moves the mark to the newest left; deleting the last leaves "New Chat".
        QTest::mouseClick(ChatHistoryListView::deleteButton(list->rows()[0]), Qt::LeftButton);
        QTRY_COMPARE(list->rows().size(), 1);
        QVERIFY(list->rows()[0]->findChild<QLabel*>("checkmark"));
        QTest::mouseClick(ChatHistoryListView::deleteButton(list->rows()[0]), Qt::LeftButton);
        QTRY_COMPARE(title(list->rows()[0]), QString("New Chat"));
        QVERIFY(list->rows()[0]->findChild<QLabel*>("checkmark"));
        QVERIFY(f.model->turns().isEmpty());
    }

    // Deleting a chat shrinks the list around the rows left; they keep their height and their spacing.
    void rowsKeepTheirHeightAfterADelete() {
        test::PanelFixture f;
        makeConversations(f, 3);
        QTest::mouseClick(f.panel->headerButton("Chat History"), Qt::LeftButton);
        ChatHistoryListView* list = f.panel->historyList();
        QTRY_VERIFY(list->window()->isVisible());
        const auto geometries = [list] {
            QCoreApplication::sendPostedEvents();
            QList<QRect> rects;
            for (const QWidget* row : list->rows())
                rects.append(row->geometry());
            return rects;
        };
        const QList<QRect> before = geometries();
        const int popupHeight = list->window()->height();
        QTest::mouseClick(ChatHistoryListView::deleteButton(list->rows()[2]), Qt::LeftButton);
        QTRY_COMPARE(list->rows().size(), 2);
        const QList<QRect> after = geometries();
        QCOMPARE(after, before.first(2));
        QCOMPARE(list->window()->height(), popupHeight - (before[2].bottom() - before[1].bottom()));
    }

    void runningConversationCannotBeDeleted() {
        test::PanelFixture f;
        makeConversations(f, 2);
        f.provider->hold();
        f.model->setDraft("Still thinking?");
        f.model->submit();
        QTest::mouseClick(f.panel->headerButton("Chat History"), Qt::LeftButton);
        ChatHistoryListView* list = f.panel->historyList();
        QVERIFY(!ChatHistoryListView::deleteButton(list->rows()[0])->isEnabled());
        QVERIFY(ChatHistoryListView::deleteButton(list->rows()[1])->isEnabled());
        // A tap while running closes the list without switching.
        const QUuid current = f.model->currentSessionID();
        QTest::mouseClick(list->rows()[1], Qt::LeftButton);
        QCOMPARE(f.model->currentSessionID(), current);
        QTRY_VERIFY(!f.panel->historyList());
        f.provider->release();
        QTRY_VERIFY(!f.model->isRunning());
    }

    void longListsScrollWithinTheLimit() {
        test::PanelFixture f;
        makeConversations(f, 14);
        f.model->startNewConversation();
        f.model->setDraft(QString("A very long question about herons ").repeated(6));
        f.model->submit();
        QTRY_VERIFY(!f.model->isRunning());
        QTest::mouseClick(f.panel->headerButton("Chat History"), Qt::LeftButton);
        ChatHistoryListView* list = f.panel->historyList();
        QTRY_VERIFY(list->window()->isVisible());
        QCOMPARE(list->width(), ChatHistoryListView::listWidth);
        QVERIFY(list->scrollArea()->height() <= ChatHistoryListView::maxScrollHeight);
        QVERIFY(list->scrollArea()->verticalScrollBar()->maximum() > 0);
        // The long title stays on one line, and the trash button keeps its place inside the row.
        QWidget* first = list->rows()[0];
        QLabel* titleLabel = first->findChild<QLabel*>("title");
        QVERIFY(titleLabel->height() < 2 * titleLabel->fontMetrics().height());
        QToolButton* trash = ChatHistoryListView::deleteButton(first);
        QVERIFY(first->rect().contains(trash->geometry()));
    }
};

QTEST_MAIN(TestChatHistoryList)
#include "test_chat_history_list.moc"
