// The assistant panel as the user meets it: typing, Return and its modifiers, the send rule, the chips, the
// attachment chip, the running state with its typing bubble, answers with their actions, errors, and the
// header's buttons; painting in bands that matches painting at once.
#include "PanelFixture.h"
#include "ui/assistant/AnswerActions.h"
#include "ui/assistant/AssistantConversation.h"
#include "ui/assistant/AssistantInputArea.h"
#include "ui/assistant/BandedScrollBar.h"
#include "ui/assistant/ChatInputField.h"
#include "ui/assistant/GreetingName.h"
#include "ui/assistant/PanelStyle.h"
#include "ui/assistant/RelativeDate.h"
#include "ui/assistant/TurnView.h"
#include "ui/assistant/TypingIndicator.h"
#include "ui/markdown/MarkdownContent.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>

using namespace zepla;
using namespace zepla::ui;
using ai::AssistantTurn;
using ai::test::finalReply;

namespace {

QList<AssistantTurn::Role> roles(const ai::AssistantViewModel& model) {
    QList<AssistantTurn::Role> result;
    for (const AssistantTurn& turn : model.turns())
        result.append(turn.role);
    return result;
}

bool shown(const QWidget* widget) {
    return widget && widget->isVisibleTo(widget->window());
}

} // namespace

class TestAssistantPanel : public QObject {
    Q_OBJECT

private slots:
    void returnSendsOnlyWithoutModifiers_data() {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("sends");
        QTest::newRow("bare") << int(Qt::NoModifier) << true;
        QTest::newRow("keypad enter") << int(Qt::KeypadModifier) << true;
        QTest::newRow("shift") << int(Qt::ShiftModifier) << false;
        QTest::newRow("control") << int(Qt::ControlModifier) << false;
        QTest::newRow("alt") << int(Qt::AltModifier) << false;
        QTest::newRow("meta") << int(Qt::MetaModifier) << false;
    }

    void returnSendsOnlyWithoutModifiers() {
        QFETCH(int, modifiers);
        QFETCH(bool, sends);
        test::PanelFixture f;
        f.provider->hold();
        ChatInputField* input = f.panel->inputArea()->input();
        QTest::keyClicks(input, "Where is the heron?");
        QCOMPARE(f.model->draft(), QString("Where is the heron?"));
        const int key = (modifiers & Qt::KeypadModifier) ? Qt::Key_Enter : Qt::Key_Return;
        QTest::keyClick(input, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        if (sends) {
            QCOMPARE(roles(*f.model), QList{AssistantTurn::Role::user});
            QCOMPARE(f.model->turns().first().text, QString("Where is the heron?"));
            QCOMPARE(input->toPlainText(), QString());
        } else {
            QVERIFY(f.model->turns().isEmpty());
            QCOMPARE(input->toPlainText(), QString("Where is the heron?\n"));
            QCOMPARE(input->visibleLines(), 2);
        }
    }

    void sendRuleTrimsSpacesAndTabsOnly() {
        test::PanelFixture f;
        ChatInputField* input = f.panel->inputArea()->input();
        QToolButton* send = f.panel->inputArea()->sendButton();
        QVERIFY(!shown(send));

        QTest::keyClicks(input, " \t  ");
        QVERIFY(!shown(send));
        QTest::keyClick(input, Qt::Key_Return);
        QVERIFY(f.model->turns().isEmpty());

        // Line breaks show the button, but the model trims them too, so nothing is sent and the input stays.
        input->clear();
        QTest::keyClick(input, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(input, Qt::Key_Return, Qt::ShiftModifier);
        QVERIFY(shown(send));
        QTest::mouseClick(send, Qt::LeftButton);
        QTest::keyClick(input, Qt::Key_Return);
        QVERIFY(f.model->turns().isEmpty());
        QCOMPARE(input->toPlainText(), QString("\n\n"));
    }

    void inputGrowsToEightLines() {
        test::PanelFixture f;
        ChatInputField* input = f.panel->inputArea()->input();
        const int oneLine = input->height();
        for (int line = 0; line < 12; ++line)
            QTest::keyClick(input, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(input->visibleLines(), ChatInputField::maxLines);
        QCOMPARE(input->height() - oneLine, 7 * input->fontMetrics().lineSpacing());
    }

    void chipSendsItsTextAndDisappears() {
        test::PanelFixture f;
        f.provider->hold();
        AssistantConversation* conversation = f.panel->conversation();
        QVERIFY(shown(conversation->greeting()));
        QVERIFY(!shown(conversation->todayRow()));
        QVERIFY(static_cast<QLabel*>(conversation->greeting())->text().startsWith("Hi "));
        QTest::keyClicks(f.panel->inputArea()->input(), "draft that the chip replaces");

        const QList<QPushButton*> chips = f.panel->inputArea()->chips();
        QCOMPARE(chips.size(), 2);
        QCOMPARE(chips[0]->text(), QString("Create a summary of this page"));
        QCOMPARE(chips[1]->text(), QString("Expand on this topic"));
        QTest::mouseClick(chips[0], Qt::LeftButton);

        QCOMPARE(f.model->turns().first().text, QString("Summarize this page"));
        QCOMPARE(f.panel->inputArea()->input()->toPlainText(), QString());
        QVERIFY(!shown(chips[0]) && !shown(chips[1]));
        QVERIFY(!shown(conversation->greeting()));
        QVERIFY(shown(conversation->todayRow()));

        // A new conversation brings the chips and the greeting back once the answer is in.
        f.provider->release();
        QTRY_VERIFY(!f.model->isRunning());
        QTest::mouseClick(f.panel->headerButton("New Conversation"), Qt::LeftButton);
        QVERIFY(f.model->turns().isEmpty());
        QVERIFY(shown(chips[0]) && shown(conversation->greeting()));
    }

    void attachmentChipShowsSendsAndRemoves() {
        test::PanelFixture f;
        f.provider->hold();
        const QString path = f.dir.filePath("notes.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("The heron stands in the reeds.");
        file.close();
        AssistantInputArea* area = f.panel->inputArea();
        area->setFileChooser([path](QWidget*) { return path; });
        QVERIFY(!shown(area->attachmentChip()));

        QTest::mouseClick(area->attachButton(), Qt::LeftButton);
        QVERIFY(shown(area->attachmentChip()));
        QCOMPARE(area->attachmentChip()->findChild<QLabel*>("attachmentName")->text(), QString("notes.txt"));
        QVERIFY(shown(area->sendButton()));
        QTest::mouseClick(area->removeAttachmentButton(), Qt::LeftButton);
        QVERIFY(!shown(area->attachmentChip()));
        QVERIFY(!f.model->attachmentContent());
        QVERIFY(!shown(area->sendButton()));

        QTest::mouseClick(area->attachButton(), Qt::LeftButton);
        QTest::mouseClick(area->sendButton(), Qt::LeftButton);
        QCOMPARE(f.model->turns().first().text, QString("Attached file: notes.txt"));
        QVERIFY(!shown(area->attachmentChip()));

        // A cancelled dialog changes nothing.
        area->setFileChooser([](QWidget*) { return QString(); });
        QTest::mouseClick(area->attachButton(), Qt::LeftButton);
        QVERIFY(!f.model->attachmentName());
    }

    void runningStateShowsTypingAndRefusesToSend() {
        test::PanelFixture f;
        f.provider->setReplies({finalReply("The heron is **grey**.")});
        f.provider->hold();
        ChatInputField* input = f.panel->inputArea()->input();
        AssistantConversation* conversation = f.panel->conversation();
        QTest::keyClicks(input, "Colour?");
        QTest::keyClick(input, Qt::Key_Return);
        QVERIFY(f.model->isRunning());
        QTRY_VERIFY(shown(conversation->typingBubble()));
        TypingIndicator* dots = conversation->typingIndicator();
        QVERIFY(dots);
        QCOMPARE(dots->phase(), 0);
        QTRY_COMPARE(dots->phase(), 1);

        QTest::keyClicks(input, "And size?");
        QVERIFY(!shown(f.panel->inputArea()->sendButton()));
        QTest::keyClick(input, Qt::Key_Return);
        QCOMPARE(f.model->turns().size(), 1);
        // Return while running is typed as a line break, and the text stays.
        QCOMPARE(input->toPlainText(), QString("And size?\n"));

        f.provider->release();
        QTRY_VERIFY(!f.model->isRunning());
        QVERIFY(!conversation->typingBubble());
        QCOMPARE(roles(*f.model), (QList{AssistantTurn::Role::user, AssistantTurn::Role::assistant}));
        QCOMPARE(conversation->turnCount(), 2);
        QVERIFY(shown(f.panel->inputArea()->sendButton()));
        QTRY_VERIFY(conversation->turnView(0) && conversation->turnView(1));
        TurnView* answer = conversation->turnView(1);
        QVERIFY(answer->findChild<QWidget*>("assistantActionsRow"));
        QVERIFY(!conversation->turnView(0)->findChild<QWidget*>("assistantActionsRow"));
        // A short question makes a short bubble at the trailing edge.
        const auto* text = conversation->turnView(0)->findChild<MarkdownContent*>();
        QVERIFY(text);
        const QWidget* bubble = text->parentWidget();
        QVERIFY2(bubble->width() < 150, qPrintable(QString::number(bubble->width())));
        QCOMPARE(bubble->mapTo(conversation->turnView(0), QPoint(bubble->width(), 0)).x(),
                 conversation->turnView(0)->width());
    }

    void conversationScrollsToTheNewestTurn() {
        test::PanelFixture f;
        QList<ai::AIProviderResult> replies;
        for (int index = 0; index < 8; ++index)
            replies.append(finalReply(QString("Answer %1\n\n").arg(index).repeated(6)));
        f.provider->setReplies(replies);
        ChatInputField* input = f.panel->inputArea()->input();
        for (int index = 0; index < 8; ++index) {
            QTest::keyClicks(input, QString("Question %1").arg(index));
            QTest::keyClick(input, Qt::Key_Return);
            QTRY_VERIFY(!f.model->isRunning());
        }
        QScrollBar* bar = f.panel->conversation()->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QTRY_COMPARE(bar->value(), bar->maximum());
    }

    // An answer of any size lands at its end and stays there, still on screen, while its parts are measured
    // (5 MB: far more than is measured in the first seconds).
    void aHugeAnswerLandsAtItsEndAndStaysStill() {
        test::PanelFixture f;
        QString answer;
        for (int index = 0; answer.size() < 5 * 1024 * 1024; ++index)
            answer += QString("Paragraph %1 about herons, with $x_{%1}^2$ in it.\n\n").arg(index);
        answer += "The last line.";
        f.provider->setReplies({finalReply(answer)});
        QTest::keyClicks(f.panel->inputArea()->input(), "Everything?");
        QTest::keyClick(f.panel->inputArea()->input(), Qt::Key_Return);
        QTRY_VERIFY(!f.model->isRunning());
        AssistantConversation* conversation = f.panel->conversation();
        QScrollBar* bar = conversation->verticalScrollBar();
        // Turn views are made in slices between frames: the answer's view may come later than the reply.
        QTRY_VERIFY(conversation->turnView(1) && bar->maximum() > 0 && bar->value() == bar->maximum());
        const auto* text = conversation->turnView(1)->findChild<MarkdownContent*>();
        QVERIFY(text && !text->isComplete());
        const auto endOnScreen = [&] {
            TurnView* answerView = conversation->turnView(1);
            return answerView
                       ? answerView->mapTo(conversation->viewport(), QPoint(0, answerView->height())).y()
                       : -1;
        };
        const int end = endOnScreen();
        QElapsedTimer watch;
        watch.start();
        while (watch.elapsed() < 2500) {
            QTest::qWait(100);
            QCOMPARE(bar->value(), bar->maximum());
            QCOMPARE(endOnScreen(), end);
        }
    }

    // Only the turns near the visible part have views; scrolling brings the others back, each where the
    // column placed it, and the views far away go.
    void longConversationKeepsViewsNearTheVisiblePart() {
        test::PanelFixture f;
        constexpr int turns = 300;
        for (int index = 0; index < turns; ++index) {
            const bool question = index % 2 == 0;
            f.model->appendTurn({QUuid::createUuid(),
                                 question ? AssistantTurn::Role::user : AssistantTurn::Role::assistant,
                                 question ? QString("Question %1").arg(index)
                                          : QString("Answer %1 with $x^{%1}$.\n\n- one\n- two").arg(index)});
        }
        AssistantConversation* conversation = f.panel->conversation();
        QScrollBar* bar = conversation->verticalScrollBar();
        QCOMPARE(conversation->turnCount(), turns);
        QTRY_VERIFY(conversation->turnView(turns - 1) && bar->value() == bar->maximum());
        QVERIFY(!conversation->turnView(0));
        QVERIFY2(conversation->liveTurnViews().size() < 60,
                 qPrintable(QString::number(conversation->liveTurnViews().size())));
        QVERIFY(!conversation->turnView(turns - 1)->visibleRegion().isEmpty());

        bar->setValue(0);
        QTRY_VERIFY(conversation->turnView(0) && !conversation->turnView(turns - 1));
        QTRY_COMPARE(bar->value(), 0);
        QCOMPARE(conversation->turnView(0)->turn().text, QString("Question 0"));
        QVERIFY(!conversation->turnView(0)->visibleRegion().isEmpty());
        const QList<TurnView*> live = conversation->liveTurnViews();
        for (qsizetype index = 1; index < live.size(); ++index)
            QVERIFY(live[index]->geometry().top() > live[index - 1]->geometry().bottom());
    }

    void answerActions() {
        test::PanelFixture f;
        f.provider->setReplies({finalReply("Herons eat $x^2$ fish.")});
        QTest::keyClicks(f.panel->inputArea()->input(), "Food?");
        QTest::keyClick(f.panel->inputArea()->input(), Qt::Key_Return);
        QTRY_VERIFY(!f.model->isRunning());
        // Turn views are made in slices between frames: the answer's view may come a turn after the reply.
        QTRY_VERIFY(f.panel->conversation()->turnView(1));
        QWidget* row = f.panel->conversation()->turnView(1)->findChild<QWidget*>("assistantActionsRow");
        QStringList tips;
        for (QToolButton* button : row->findChildren<QToolButton*>())
            tips.append(button->toolTip());
        QCOMPARE(tips,
                 (QStringList{"Helpful", "Not helpful", "Share response", "Copy to clipboard", "Read aloud",
                              "Regenerate response", "Copy and edit response in a new document"}));
        const auto button = [row](const QString& tip) {
            for (QToolButton* candidate : row->findChildren<QToolButton*>())
                if (candidate->toolTip() == tip)
                    return candidate;
            return static_cast<QToolButton*>(nullptr);
        };

        QApplication::clipboard()->setText("before");
        QTest::mouseClick(button("Copy to clipboard"), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), QString("Herons eat $x^2$ fish."));
        QApplication::clipboard()->setText("before");
        QTest::mouseClick(button("Copy and edit response in a new document"), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), QString("Herons eat $x^2$ fish."));

        // Regenerate sends what the input holds, and nothing when it is empty.
        QTest::mouseClick(button("Regenerate response"), Qt::LeftButton);
        QCOMPARE(f.model->turns().size(), 2);
        f.model->setDraft("Again please");
        QTest::mouseClick(button("Regenerate response"), Qt::LeftButton);
        QCOMPARE(f.model->turns().size(), 3);
        QCOMPARE(f.model->turns()[2].text, QString("Again please"));
        QTRY_VERIFY(!f.model->isRunning());

        // Sharing offers the Linux ways; Save As writes the answer's text.
        QTest::mouseClick(button("Share response"), Qt::LeftButton);
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
        QStringList items;
        for (QAction* action : menu->actions())
            items.append(action->text());
        QCOMPARE(items, (QStringList{"Copy", "Save As…", "Email"}));
        menu->close();
        const QString saved = f.dir.filePath("answer.md");
        QVERIFY(f.panel->answerActions().saveAs("Herons eat $x^2$ fish.", saved));
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("Herons eat $x^2$ fish."));
        QSignalSpy problems(&f.panel->answerActions(), &AnswerActions::problem);
        QVERIFY(!f.panel->answerActions().saveAs("x", f.dir.filePath("missing/folder/answer.md")));
        QCOMPARE(problems.size(), 1);
    }

    void errorTurnHasNoActions() {
        test::PanelFixture f;
        f.provider->setReplies({ai::test::failure(500, "The service is down.")});
        QTest::keyClicks(f.panel->inputArea()->input(), "Hello");
        QTest::keyClick(f.panel->inputArea()->input(), Qt::Key_Return);
        QTRY_VERIFY(!f.model->isRunning());
        QCOMPARE(roles(*f.model), (QList{AssistantTurn::Role::user, AssistantTurn::Role::error}));
        QTRY_VERIFY(f.panel->conversation()->turnView(1));
        TurnView* error = f.panel->conversation()->turnView(1);
        QVERIFY(!error->findChild<QWidget*>("assistantActionsRow"));
    }

    void headerButtons() {
        test::PanelFixture f;
        QStringList tips;
        for (const char* tip : {"Toggle Page Sidebar", "New Conversation", "Chat History",
                                "AI Assistant Settings…", "Close Assistant"})
            QVERIFY2(f.panel->headerButton(tip), tip);
        QTest::mouseClick(f.panel->headerButton("Toggle Page Sidebar"), Qt::LeftButton);
        QTest::mouseClick(f.panel->headerButton("Close Assistant"), Qt::LeftButton);
        QCOMPARE(f.sidebarToggles, 1);
        QCOMPARE(f.closes, 1);

        // A host without those actions leaves the buttons doing nothing.
        AssistantPanel bare(f.model, {}, {});
        bare.show();
        QTest::mouseClick(bare.headerButton("Toggle Page Sidebar"), Qt::LeftButton);
        QTest::mouseClick(bare.headerButton("Close Assistant"), Qt::LeftButton);
    }

    void modelMenuListsThePreferences() {
        test::PanelFixture f;
        QToolButton* button = f.panel->inputArea()->modelMenuButton();
        QCOMPARE(button->text(), QString("High Perf"));
        QStringList items;
        for (QAction* action : button->menu()->actions())
            items.append(action->text());
        QCOMPARE(items, (QStringList{"High Perf", "Balanced", "Fast"}));
        button->menu()->actions()[2]->trigger();
        QCOMPARE(f.model->modelPreference(), ai::AIModelPreference::fast);
        QCOMPARE(button->text(), QString("Fast"));
    }

    void inputTakesFocusWhenShown() {
        test::PanelFixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.panel.get()));
        QTRY_VERIFY(f.panel->inputArea()->input()->hasFocus());
    }

    // Painting in bands leaves no seam: the panel's shape and the scroll bar come out as drawn in one go.
    void bandedPaintingMatchesPaintingAtOnce() {
        const auto shape = [](QImage& image, bool banded) {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            QPainterPath path;
            path.addRoundedRect(QRectF(0.5, 0.5, 199, 299), 14, 14);
            const auto paint = [&] {
                painter.fillPath(path, QColor(250, 247, 245));
                painter.strokePath(path, QPen(QColor(0, 0, 0, 15), 1));
            };
            if (banded)
                paintInBands(painter, image.rect().adjusted(0, 3, 0, 0), paint);
            else {
                painter.setClipRect(image.rect().adjusted(0, 3, 0, 0));
                paint();
            }
        };
        QImage atOnce(200, 301, QImage::Format_ARGB32_Premultiplied);
        atOnce.fill(Qt::transparent);
        QImage banded = atOnce;
        shape(atOnce, false);
        shape(banded, true);
        QCOMPARE(banded, atOnce);

        QScrollBar plain(Qt::Vertical);
        BandedScrollBar bands(Qt::Vertical);
        for (QScrollBar* bar : {&plain, static_cast<QScrollBar*>(&bands)}) {
            bar->setRange(0, 5000);
            bar->setPageStep(700);
            bar->setValue(1200);
            bar->resize(12, 700);
        }
        QCOMPARE(bands.grab().toImage(), plain.grab().toImage());
    }

    void greetingName_data() {
        QTest::addColumn<QString>("fullName");
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two words, extra spaces") << "  ada   lovelace "
                                                 << "ada"
                                                 << "Ada";
        QTest::newRow("upper case") << "GRACE HOPPER"
                                    << "grace"
                                    << "Grace";
        QTest::newRow("spaces only falls back to login") << "   "
                                                         << "linus"
                                                         << "Linus";
        QTest::newRow("no word at all") << ""
                                        << ""
                                        << "there";
        QTest::newRow("hyphenated") << "jean-luc picard"
                                    << "jl"
                                    << "Jean-Luc";
    }

    void greetingName() {
        QFETCH(QString, fullName);
        QFETCH(QString, login);
        QFETCH(QString, expected);
        QCOMPARE(displayFirstName(fullName, login), expected);
    }

    void relativeDates_data() {
        QTest::addColumn<qint64>("secondsAgo");
        QTest::addColumn<QString>("expected");
        QTest::newRow("now") << qint64(0) << "0 sec. ago";
        QTest::newRow("seconds") << qint64(42) << "42 sec. ago";
        QTest::newRow("minutes") << qint64(5 * 60 + 59) << "5 min. ago";
        QTest::newRow("one day") << qint64(86400 + 5) << "1 day ago";
        QTest::newRow("days") << qint64(3 * 86400) << "3 days ago";
        QTest::newRow("weeks") << qint64(15 * 86400) << "2 wk. ago";
        QTest::newRow("years") << qint64(800 * 86400) << "2 yr. ago";
        QTest::newRow("future") << qint64(-7200) << "in 2 hr.";
    }

    void relativeDates() {
        QFETCH(qint64, secondsAgo);
        QFETCH(QString, expected);
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QCOMPARE(relativeDate(now.addSecs(-secondsAgo), now), expected);
    }
};

QTEST_MAIN(TestAssistantPanel)
#include "test_assistant_panel.moc"
