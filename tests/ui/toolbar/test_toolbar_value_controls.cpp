// The toolbar's value controls: the point-size field's parsing, clamping and commits, the steppers' bounds,
// and the line-end chooser's hover timing, choices and drawings.
#include "annotations/ToolState.h"
#include "ui/toolbar/LineStyleHoverModifier.h"
#include "ui/toolbar/LineStylePicker.h"
#include "ui/toolbar/PointSizeField.h"
#include "ui/toolbar/SizeControl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

using namespace zepla;
using namespace zepla::ui;
using annotations::LineEndStyle;

namespace {

void send(QWidget* widget, QEvent::Type type) {
    if (type == QEvent::Enter) {
        QEnterEvent event(QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                          widget->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(widget, &event);
    } else {
        QEvent event(type);
        QApplication::sendEvent(widget, &event);
    }
}

} // namespace

class TestToolbarValueControls : public QObject {
    Q_OBJECT

private slots:
    void formatShowsWholeNumbersWithoutDecimals_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("2") << 2.0 << "2";
        QTest::newRow("2.5") << 2.5 << "2.5";
        QTest::newRow("16") << 16.0 << "16";
        QTest::newRow("1.25 to one decimal") << 1.25 << "1.2";
        QTest::newRow("100") << 100.0 << "100";
    }
    void formatShowsWholeNumbersWithoutDecimals() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(PointSizeField::format(value), text);
    }

    // Typed text, then Return: what is committed (nothing when -1) and what the field shows afterwards.
    void returnCommitsClampedNumbersAndRejectsTheRest_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("committed");
        QTest::addColumn<QString>("shown");
        // The stroke width, 1 to 30, currently 3.
        QTest::newRow("below the range") << "0.5" << 1.0 << "1";
        QTest::newRow("above the range") << "45" << 30.0 << "30";
        QTest::newRow("a fraction") << "2.5" << 2.5 << "2.5";
        QTest::newRow("the current value") << "3" << 3.0 << "3";
        QTest::newRow("letters") << "abc" << -1.0 << "3";
        QTest::newRow("negative") << "-4" << -1.0 << "3";
        QTest::newRow("zero") << "0" << -1.0 << "3";
        QTest::newRow("empty") << "" << -1.0 << "3";
        QTest::newRow("decimal comma") << "2,5" << -1.0 << "3";
        QTest::newRow("leading space") << " 2" << -1.0 << "3";
        QTest::newRow("trailing unit") << "2pt" << -1.0 << "3";
    }
    void returnCommitsClampedNumbersAndRejectsTheRest() {
        QFETCH(QString, typed);
        QFETCH(double, committed);
        QFETCH(QString, shown);
        PointSizeField field(3, 1, 30, 26, "Stroke width");
        field.show();
        QSignalSpy commits(&field, &PointSizeField::committed);
        field.lineEdit()->setFocus();
        field.lineEdit()->selectAll();
        QTest::keyClicks(field.lineEdit(), typed);
        if (typed.isEmpty())
            QTest::keyClick(field.lineEdit(), Qt::Key_Backspace);
        QTest::keyClick(field.lineEdit(), Qt::Key_Return);
        if (committed < 0) {
            QCOMPARE(commits.count(), 0);
        } else {
            QCOMPARE(commits.count(), 1);
            QCOMPARE(commits.at(0).at(0).toDouble(), committed);
        }
        QCOMPARE(field.lineEdit()->text(), shown);
    }

    void losingFocusCommitsEvenWithoutAChangeAndTypingIsKept() {
        QWidget host;
        auto* field = new PointSizeField(20, 4, 100, 30, "Eraser size", &host);
        auto* other = new QPushButton("elsewhere", &host);
        other->move(0, 40);
        host.show();
        host.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&host));
        QSignalSpy commits(field, &PointSizeField::committed);

        field->lineEdit()->setFocus();
        field->lineEdit()->selectAll();
        QTest::keyClicks(field->lineEdit(), "12");
        field->setValue(50); // changed elsewhere while typing: the typed text stays
        QCOMPARE(field->lineEdit()->text(), QString("12"));
        QTest::keyClick(field->lineEdit(), Qt::Key_Return);
        other->setFocus();
        QTRY_VERIFY(!field->lineEdit()->hasFocus());
        QCOMPARE(commits.count(), 2); // Return, then the loss of focus, with the same number
        QCOMPARE(commits.at(1).at(0).toDouble(), 12.0);

        field->setValue(40); // without focus the text follows the value
        QCOMPARE(field->lineEdit()->text(), QString("40"));

        field->lineEdit()->setFocus();
        field->lineEdit()->selectAll();
        QTest::keyClicks(field->lineEdit(), "x");
        other->setFocus();
        QTRY_COMPARE(field->lineEdit()->text(), QString("40"));
        QCOMPARE(commits.count(), 2);
    }

    void theArrowsStopAtTheBounds_data() {
        QTest::addColumn<int>("setting");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("up");
        QTest::addColumn<double>("expected");
        QTest::newRow("stroke 30 up") << 0 << 30.0 << true << 30.0;
        QTest::newRow("stroke 1 down") << 0 << 1.0 << false << 1.0;
        QTest::newRow("stroke 2 up") << 0 << 2.0 << true << 3.0;
        QTest::newRow("eraser 5 down") << 1 << 5.0 << false << 4.0;
        QTest::newRow("eraser 99 up") << 1 << 99.0 << true << 100.0;
        QTest::newRow("eraser 20 up") << 1 << 20.0 << true << 22.0;
        QTest::newRow("font 48 up") << 2 << 48.0 << true << 48.0;
        QTest::newRow("font 8 down") << 2 << 8.0 << false << 8.0;
    }
    void theArrowsStopAtTheBounds() {
        QFETCH(int, setting);
        QFETCH(double, value);
        QFETCH(bool, up);
        QFETCH(double, expected);
        const SizeSetting* settings[] = {&SizeSetting::strokeWidth(), &SizeSetting::eraserSize(),
                                         &SizeSetting::fontSize()};
        SizeControl control(*settings[setting], value);
        control.show();
        QSignalSpy chosen(&control, &SizeControl::valueChosen);
        QTest::mouseClick(up ? control.upButton() : control.downButton(), Qt::LeftButton);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).toDouble(), expected);
    }

    void theLineEndChooserOpensAfterAPauseAndClosesAfterLeaving() {
        annotations::ToolState state;
        QWidget window;
        auto* button = new QPushButton("Line", &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        LineStyleHoverModifier chooser(button, state);

        // A short rest opens nothing; leaving and coming back opens 0.45 s after the first entry. A busy
        // machine may sleep past the delay: the early look counts only when the test woke in time.
        QElapsedTimer sinceEntry;
        sinceEntry.start();
        send(button, QEvent::Enter);
        QTest::qWait(200);
        send(button, QEvent::Leave);
        send(button, QEvent::Enter);
        QTest::qWait(150);
        const bool early = sinceEntry.elapsed() < LineStyleHoverModifier::openDelayMs - 20;
        QVERIFY(!early || !chooser.showPicker());
        QTRY_VERIFY(chooser.showPicker());
        QVERIFY(chooser.popover()->isVisible());
        QVERIFY(chooser.popover()->testAttribute(Qt::WA_ShowWithoutActivating));

        // Into the chooser within 0.2 s keeps it open; a choice leaves it open.
        send(button, QEvent::Leave);
        send(chooser.popover(), QEvent::Enter);
        QTest::qWait(LineStyleHoverModifier::closeDelayMs + 100);
        QVERIFY(chooser.showPicker());
        QAbstractButton* openArrow = chooser.picker()->choiceButton(2);
        QCOMPARE(openArrow->text(), QString("Open Arrow"));
        QTest::mouseClick(openArrow, Qt::LeftButton);
        QCOMPARE(state.lineEndStyle(), LineEndStyle::openArrow);
        QVERIFY(openArrow->isChecked());
        QVERIFY(!chooser.picker()->choiceButton(0)->isChecked());
        QVERIFY(chooser.showPicker());

        // Out of both: closed 0.2 s later.
        send(chooser.popover(), QEvent::Leave);
        QTRY_VERIFY(!chooser.showPicker());
        QVERIFY(!chooser.popover()->isVisible());
    }

    // The Line button's tooltip shows as usual, but never while the chooser it opened lies under it.
    void theLineButtonsTooltipNeverCoversTheChooser() {
        annotations::ToolState state;
        QWidget window;
        auto* button = new QPushButton("Line", &window);
        button->setToolTip(QStringLiteral("Line (Ctrl+5)"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        LineStyleHoverModifier chooser(button, state);
        auto askForTooltip = [&] {
            const QPoint at(button->width() / 2, button->height() / 2);
            QHelpEvent help(QEvent::ToolTip, at, button->mapToGlobal(at));
            QApplication::sendEvent(button, &help);
        };

        askForTooltip();
        QTRY_VERIFY(QToolTip::isVisible());
        send(button, QEvent::Enter);
        QTRY_VERIFY(chooser.showPicker());
        QTRY_VERIFY(!QToolTip::isVisible());
        askForTooltip();
        QTest::qWait(100);
        QVERIFY(!QToolTip::isVisible());
        send(button, QEvent::Leave);
        QTRY_VERIFY(!chooser.showPicker());
    }

    void theChoicesAreInOrderAndEachDrawingDiffers() {
        const QStringList labels{"Line", "Arrow", "Open Arrow", "Circle", "Square", "Diamond"};
        QStringList shown;
        QList<QImage> drawings;
        for (const auto& choice : LineStylePicker::choices()) {
            shown << choice.label;
            QImage image(34 * 4, 18 * 4, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.scale(4, 4);
            LineStylePreview::draw(painter, QSizeF(34, 18), choice.style, Qt::black);
            painter.end();
            for (const QImage& other : drawings)
                QVERIFY2(other != image, qPrintable(choice.label));
            drawings << image;
        }
        QCOMPARE(shown, labels);
        // The closed arrow is filled inside, where the open one has nothing.
        const QPoint inside(26.5 * 4, 10.5 * 4);
        QVERIFY(qAlpha(drawings[1].pixel(inside)) > 200);
        QCOMPARE(qAlpha(drawings[2].pixel(inside)), 0);
    }
};

QTEST_MAIN(TestToolbarValueControls)
#include "test_toolbar_value_controls.moc"
