// The formula view drawn offscreen: where the formula's ink lands for each alignment and mode, the red parse
// error, relayout on every property change, and the intrinsic size.
#include "TypesetTestSupport.h"

#include "mathlist/MTMathListBuilder.h"
#include "view/MTMathUILabel.h"

#include <QtTest>

using namespace zepla::math;

namespace {

// A label on a white ground, so that grab() shows its ink on white.
std::unique_ptr<MTMathUILabel> whiteLabel(const QString& latex, QSize size) {
    auto label = std::make_unique<MTMathUILabel>();
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::white);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    label->resize(size);
    label->setLatex(latex);
    return label;
}

QRect ink(MTMathUILabel& label) {
    return typesettest::inkRect(label.grab().toImage());
}

} // namespace

class TestFormulaView : public QObject {
    Q_OBJECT

private slots:
    void alignmentPlacesTheInk_data() {
        QTest::addColumn<MTTextAlignment>("alignment");
        QTest::newRow("left") << MTTextAlignment::left;
        QTest::newRow("center") << MTTextAlignment::center;
        QTest::newRow("right") << MTTextAlignment::right;
    }
    void alignmentPlacesTheInk() {
        QFETCH(MTTextAlignment, alignment);
        auto label = whiteLabel(QStringLiteral("x^2+y^2=z^2"), QSize(400, 120));
        label->setContentInsets({0, 10, 0, 10});
        label->setTextAlignment(alignment);
        const QRect drawn = ink(*label);
        QVERIFY(!drawn.isEmpty());
        // Vertically the formula's box is centred, so the ink straddles the middle line.
        QVERIFY(drawn.top() < 60 && drawn.bottom() > 50);
        const qreal width = label->displayList()->width();
        switch (alignment) {
        case MTTextAlignment::left:
            QVERIFY(qAbs(drawn.left() - 10) <= 3);
            break;
        case MTTextAlignment::center:
            QVERIFY(qAbs(drawn.center().x() - 200) <= 3);
            break;
        case MTTextAlignment::right:
            QVERIFY(qAbs(label->displayList()->position().x() + width - 390) < 0.01);
            QVERIFY(drawn.right() <= 391 && drawn.right() > 380);
            break;
        }
    }

    void everyPropertyChangeLaysOutAgain() {
        auto label = whiteLabel(QStringLiteral("a+b"), QSize(300, 100));
        const QRect small = ink(*label);
        label->setFontSize(40);
        const QRect large = ink(*label);
        QVERIFY(large.width() > small.width() * 3 / 2);
        QCOMPARE(label->fontSize(), 40.0);
        QCOMPARE(label->mathFont()->fontSize(), 40.0);

        label->setTextAlignment(MTTextAlignment::right);
        QVERIFY(ink(*label).left() > large.left() + 50);

        label->setContentInsets({0, 0, 0, 60});
        QVERIFY(ink(*label).right() < 300 - 55);

        label->setLatex(QStringLiteral("a"));
        QVERIFY(ink(*label).width() < large.width() / 2);

        label->setTextColor(QColor(0, 0, 255));
        QVERIFY(typesettest::hasPixelOf(label->grab().toImage(), QColor(0, 0, 255)));
    }

    void displayAndTextModesUseTheirStyles() {
        auto label = whiteLabel(QStringLiteral("\\sum_{i=1}^{n} x_i"), QSize(300, 120));
        QCOMPARE(label->currentStyle(), MTLineStyle::display);
        QVERIFY(!ink(*label).isEmpty());
        label->setLabelMode(MTMathUILabelMode::text);
        QCOMPARE(label->currentStyle(), MTLineStyle::text);
        QVERIFY(!ink(*label).isEmpty());
    }

    void aFormulaThatDoesNotParseShowsTheMessageInRed() {
        auto label = whiteLabel(QStringLiteral("\\frac{1}{"), QSize(400, 80));
        QVERIFY(label->error());
        QCOMPARE(label->error()->domain, QStringLiteral("ParseError"));
        QVERIFY(!label->mathList());
        QVERIFY(label->errorLabel()->isVisibleTo(label.get()));
        QCOMPARE(label->errorLabel()->text(), label->error()->localizedDescription());
        QVERIFY(typesettest::hasPixelOf(label->grab().toImage(), QColor(Qt::red)));

        // Good text again: no error, no message.
        label->setLatex(QStringLiteral("x"));
        QVERIFY(!label->error());
        QVERIFY(!label->errorLabel()->isVisibleTo(label.get()));
        QVERIFY(!typesettest::hasPixelOf(label->grab().toImage(), QColor(Qt::red)));

        // Without inline errors the view stays empty.
        label->setDisplayErrorInline(false);
        label->setLatex(QStringLiteral("\\frac{1}{"));
        QVERIFY(label->error());
        QVERIFY(!label->errorLabel()->isVisibleTo(label.get()));
        QVERIFY(ink(*label).isEmpty());
    }

    void intrinsicSizeIsTheFormulaBoxWithItsInsets() {
        MTMathUILabel label;
        QCOMPARE(label.fittingSize(), QSizeF(0, 0));
        QCOMPARE(label.sizeThatFits(QSizeF(7, 9)), QSizeF(7, 9));
        label.setLatex(QStringLiteral("x+1"));
        label.setContentInsets({1, 2, 3, 4});
        label.resize(200, 100);
        label.layoutIfNeeded();
        const MTDisplay& display = *label.displayList();
        QCOMPARE(label.fittingSize(), QSizeF(display.width() + 6, display.ascent() + display.descent() + 4));
        QCOMPARE(label.sizeHint().width(), int(std::ceil(display.width() + 6)));
    }

    void anEmptyFormulaIsCentredAtHalfTheFontSize() {
        MTMathUILabel label;
        label.setLatex(QString());
        QVERIFY(!label.error());
        label.resize(100, 50);
        label.layoutIfNeeded();
        QVERIFY(label.displayList());
        QCOMPARE(label.displayList()->position().y(), (50 - 10) / 2.0);
    }

    void aReadyListShowsItsLatex() {
        MTMathUILabel label;
        label.setLatex(QStringLiteral("\\frac{1}{"));
        label.setMathList(MTMathListBuilder::build(QStringLiteral("x^{2}")));
        QVERIFY(!label.error());
        QCOMPARE(label.latex(), QStringLiteral("x^{2}"));
    }
};

QTEST_MAIN(TestFormulaView)
#include "test_formula_view.moc"
