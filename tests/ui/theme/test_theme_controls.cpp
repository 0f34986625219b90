// The toolbar controls as drawn and as clicked: pill and labelled buttons, colour swatches and dividers.
#include "ui/theme/ColorSwatchButton.h"
#include "ui/theme/Colors.h"
#include "ui/theme/ThemePainting.h"
#include "ui/theme/ToolbarLabeledButton.h"
#include "ui/theme/ToolbarPillButton.h"
#include "ui/theme/ToolbarSectionDivider.h"

#include <QApplication>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QSignalSpy>
#include <QTest>

using namespace zepla::ui;

namespace {

// The widget's own drawing over transparency, without a window background behind it.
QImage snapshot(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void hover(QWidget& widget) {
    QEnterEvent enter(QPointF(5, 5), widget.mapToGlobal(QPointF(5, 5)), widget.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&widget, &enter);
}

bool near(QRgb pixel, QColor expected, int tolerance = 3) {
    return qAbs(qRed(pixel) - expected.red()) <= tolerance &&
           qAbs(qGreen(pixel) - expected.green()) <= tolerance &&
           qAbs(qBlue(pixel) - expected.blue()) <= tolerance &&
           qAbs(qAlpha(pixel) - expected.alpha()) <= tolerance;
}

} // namespace

class TestThemeControls : public QObject {
    Q_OBJECT

private slots:
    void pillButtonIsBareUntilSelectedThenSitsOnItsTint() {
        ToolbarPillButton button("pencil.tip", false, Color::brandBlue());
        button.resize(button.sizeHint());
        QCOMPARE(button.sizeHint(), QSize(40, 33));
        // A point inside the 36 by 30 capsule, left of the symbol.
        const QPoint probe(button.width() / 2 - 14, button.height() / 2);
        QCOMPARE(qAlpha(snapshot(button).pixel(probe)), 0);

        button.setSelected(true);
        QTRY_VERIFY(near(snapshot(button).pixel(probe), Color::brandBlue()));
        // Outside the capsule nothing is drawn even when selected.
        QCOMPARE(qAlpha(snapshot(button).pixel(0, 0)), 0);
    }

    void pillButtonDarkensWhileHovered() {
        ToolbarPillButton button("plus", false, Color::inkSlate());
        button.resize(button.sizeHint());
        const QPoint probe(button.width() / 2 - 14, button.height() / 2);
        hover(button);
        QVERIFY(button.isHovering());
        QTRY_COMPARE(qAlpha(snapshot(button).pixel(probe)), qRound(0.14 * 255));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&button, &leave);
        QTRY_COMPARE(qAlpha(snapshot(button).pixel(probe)), 0);
    }

    void pillButtonRunsItsAction() {
        int runs = 0;
        ToolbarPillButton button("plus", false, Color::inkSlate(), [&] { ++runs; });
        button.resize(button.sizeHint());
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(runs, 1);
        // Selection belongs to the owner: a click does not toggle it.
        QVERIFY(!button.isSelected());
    }

    void labeledButtonShowsAFaintTintUntilSelected() {
        ToolbarLabeledButton button("sparkles", "Ask", false, Color::brandBlue());
        button.resize(button.sizeHint());
        QCOMPARE(button.sizeHint().height(), 31);
        QVERIFY(button.sizeHint().width() > 11 + 15 + 4 + 11);
        const QPoint probe(5, button.height() / 2);
        const QRgb faint = snapshot(button).pixel(probe);
        QVERIFY(qAbs(qAlpha(faint) - qRound(0.14 * 255)) <= 2);

        button.setSelected(true);
        QTRY_VERIFY(near(snapshot(button).pixel(probe), Color::brandBlue()));
    }

    void labeledButtonContentTurnsWhiteWhenSelected() {
        ToolbarLabeledButton button("sparkles", "Ask", true, Color::brandBlueDeep());
        button.resize(button.sizeHint());
        const QImage image = snapshot(button);
        int white = 0;
        for (int x = 0; x < image.width(); ++x)
            white += near(image.pixel(x, image.height() / 2), Qt::white, 40);
        QVERIFY(white > 0);
    }

    void selectionChangeAnimates() {
        ToolbarPillButton button("plus", false, Color::brandBlue());
        button.resize(button.sizeHint());
        const QPoint probe(button.width() / 2 - 14, button.height() / 2);
        button.setSelected(true);
        QVERIFY(qAlpha(snapshot(button).pixel(probe)) < 255);
        QTRY_COMPARE(qAlpha(snapshot(button).pixel(probe)), 255);
    }

    void swatchTakesPressesUpToTenPointsOutsideItsCircle_data() {
        QTest::addColumn<QPoint>("offset"); // from the first swatch's centre
        QTest::addColumn<int>("chosen");    // index of the swatch chosen, -1 for none
        QTest::newRow("centre") << QPoint(0, 0) << 0;
        QTest::newRow("just outside the circle, above") << QPoint(0, -20) << 0;
        QTest::newRow("beyond the reach, above") << QPoint(0, -23) << -1;
        QTest::newRow("gap nearer the first") << QPoint(14, 0) << 0;
        QTest::newRow("gap nearer the second") << QPoint(17, 0) << 1;
    }
    void swatchTakesPressesUpToTenPointsOutsideItsCircle() {
        QFETCH(QPoint, offset);
        QFETCH(int, chosen);
        QWidget row;
        auto* layout = new QHBoxLayout(&row);
        layout->setContentsMargins(30, 30, 30, 30);
        layout->setSpacing(7);
        QList<ColorSwatchButton*> swatches;
        for (const QColor& colour : Color::annotationPresets().mid(0, 2)) {
            swatches << new ColorSwatchButton(colour);
            layout->addWidget(swatches.last());
        }
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        QColor selection;
        for (ColorSwatchButton* swatch : swatches)
            connect(swatch, &ColorSwatchButton::colorSelected, [&](const QColor& c) { selection = c; });

        const QPoint at = swatches[0]->geometry().center() + offset;
        QWidget* target = row.childAt(at);
        const QPoint local = target ? target->mapFrom(&row, at) : at;
        QTest::mouseClick(target ? target : &row, Qt::LeftButton, {}, local);
        QCOMPARE(selection, chosen < 0 ? QColor() : swatches[chosen]->color());
    }

    void swatchLooksTheSameWhetherChosenOrNot() {
        ColorSwatchButton swatch(Color::markerAmber());
        QCOMPARE(swatch.size(), QSize(23, 23));
        const QImage before = snapshot(swatch);
        swatch.click();
        QCOMPARE(snapshot(swatch), before);
        QVERIFY(near(before.pixel(11, 11), Color::markerAmber()));
    }

    void dividerIsAThinFaintRule() {
        ToolbarSectionDivider divider;
        QCOMPARE(divider.size(), QSize(1, 18));
        const QRgb pixel = snapshot(divider).pixel(0, 9);
        QVERIFY(qAbs(qAlpha(pixel) - qRound(0.15 * 255)) <= 1);
    }

    void sidebarPanelIsWhiteWithABlueWash() {
        QWidget panel;
        Theme::liquidGlassBluePanel(&panel);
        panel.resize(20, 20);
        QCOMPARE(panel.grab().toImage().pixel(10, 10), Color::appTint().rgba());
    }
};

QTEST_MAIN(TestThemeControls)
#include "test_theme_controls.moc"
