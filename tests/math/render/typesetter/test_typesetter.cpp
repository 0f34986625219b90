// The typesetter core: inter-atom spacing as kerns and pen moves, fused runs, spaces and styles, spaced
// lines, colours, placeholders, and the constructs not drawn yet laid out without a crash.
#include "TypesetTestSupport.h"

#include "typesetter/MTTypesetter.h"

#include <QTest>

using namespace zepla::math;
using namespace typesettest;

Q_DECLARE_METATYPE(MTMathAtomType)
Q_DECLARE_METATYPE(MTLineStyle)

namespace {

constexpr qreal kMu = 20.0 / 18.0;

MTMathListDisplayPtr layout(const MTMathListPtr& list, MTLineStyle style = MTLineStyle::display) {
    return MTTypesetter::createLineForMathList(list, defaultFont(), style);
}

std::shared_ptr<MTCTLineDisplay> lineAt(const MTMathListDisplayPtr& display, std::size_t index) {
    return std::dynamic_pointer_cast<MTCTLineDisplay>(display->subDisplays().at(index));
}

qreal textWidth(const QString& text) {
    MTAttributedString string;
    string.append(text);
    string.setFont(defaultFont()->ctFont());
    return MTTextLine(string).width();
}

const QString kItalicX = QString::fromUcs4(U"\U0001D465");
const QString kItalicY = QString::fromUcs4(U"\U0001D466");

} // namespace

class TestTypesetter : public QObject {
    Q_OBJECT

private slots:
    void spacingTable_data() {
        QTest::addColumn<MTMathAtomType>("left");
        QTest::addColumn<MTMathAtomType>("right");
        QTest::addColumn<MTLineStyle>("style");
        QTest::addColumn<qreal>("mu");
        using T = MTMathAtomType;
        using S = MTLineStyle;
        QTest::newRow("ordinary binary") << T::ordinary << T::binaryOperator << S::display << 4.0;
        QTest::newRow("ordinary binary in script") << T::ordinary << T::binaryOperator << S::script << 0.0;
        QTest::newRow("ordinary relation") << T::ordinary << T::relation << S::text << 5.0;
        QTest::newRow("largeOp ordinary stays in script")
            << T::largeOperator << T::ordinary << S::script << 3.0;
        QTest::newRow("binary binary is invalid")
            << T::binaryOperator << T::binaryOperator << S::display << 0.0;
        QTest::newRow("radical ordinary") << T::radical << T::ordinary << S::display << 4.0;
        QTest::newRow("radical on the right has no column") << T::ordinary << T::radical << S::display << 0.0;
        QTest::newRow("punctuation ordinary") << T::punctuation << T::ordinary << S::display << 3.0;
        QTest::newRow("colour spaces as ordinary") << T::color << T::relation << S::display << 5.0;
        QTest::newRow("inner close") << T::inner << T::close << S::display << 0.0;
        QTest::newRow("type without a row") << T::variable << T::relation << S::display << 0.0;
    }

    void spacingTable() {
        QFETCH(MTMathAtomType, left);
        QFETCH(MTMathAtomType, right);
        QFETCH(MTLineStyle, style);
        QFETCH(qreal, mu);
        const MTTypesetter typesetter(defaultFont(), style, false, false);
        const qreal scale = MTTypesetter::getStyleSize(style, defaultFont().get()) / 20;
        QCOMPARE(typesetter.getInterElementSpace(left, right), mu * kMu * scale);
    }

    // x+y at 20 points: one run, a medium space (4 mu) as kern after x and after the plus sign.
    void binaryOperatorSpacingIsKern() {
        const auto display = layout(chars("x+y"));
        QCOMPARE(display->subDisplays().size(), std::size_t(1));
        const auto line = lineAt(display, 0);
        QCOMPARE(line->attributedString().string(), kItalicX + "+" + kItalicY);
        const auto& kerns = line->attributedString().kerns();
        QCOMPARE(kerns.size(), std::size_t(2));
        QCOMPARE(kerns[0].end, qsizetype(2));
        QCOMPARE(kerns[1].end, qsizetype(3));
        QCOMPARE(kerns[0].space, 4 * kMu);
        QCOMPARE(kerns[1].space, 4 * kMu);
        QVERIFY(qAbs(kerns[0].space - 4.444) < 0.001);
        QCOMPARE(line->width(), textWidth(kItalicX + "+" + kItalicY) + 8 * kMu);
        QCOMPARE(line->atoms().size(), std::size_t(3));
        QCOMPARE(line->range(), (MTRange{0, 3}));
        QCOMPARE(display->range(), (MTRange{0, 3}));
    }

    void scriptStyleHasNoMediumSpace() {
        const auto line = lineAt(layout(chars("x+y"), MTLineStyle::script), 0);
        QVERIFY(line->attributedString().kerns().empty());
        QCOMPARE(line->attributedString().font()->pointSize(),
                 20 * defaultFont()->mathTable()->scriptScaleDown());
    }

    // a\,b: the space flushes the run and moves the pen; ordinary against ordinary adds nothing.
    void explicitSpaceSplitsTheRun() {
        const auto display = layout(listOf({atom("a"), std::make_shared<MTMathSpace>(3), atom("b")}));
        QCOMPARE(display->subDisplays().size(), std::size_t(2));
        const auto a = lineAt(display, 0);
        const auto b = lineAt(display, 1);
        QCOMPARE(b->position().x(), a->width() + 3 * kMu);
        QVERIFY(a->attributedString().kerns().empty());
        QCOMPARE(display->width(), a->width() + 3 * kMu + b->width());
    }

    void radicalSpacesLikeAnOrdinaryOnTheRightOnly() {
        auto radical = std::make_shared<MTRadical>();
        radical->setRadicand(chars("2"));
        const auto after = layout(listOf({radical, atom("x")}));
        QCOMPARE(after->subDisplays().size(), std::size_t(2));
        const auto& root = after->subDisplays().at(0);
        QCOMPARE(after->subDisplays().at(1)->position().x(), root->width() + 4 * kMu);

        auto radical2 = std::make_shared<MTRadical>();
        radical2->setRadicand(chars("2"));
        const auto before = layout(listOf({atom("x"), radical2}));
        QCOMPARE(before->subDisplays().at(1)->position().x(), before->subDisplays().at(0)->width());
    }

    void ordinaryRunIsFused() {
        const auto display = layout(chars("xy"));
        QCOMPARE(display->subDisplays().size(), std::size_t(1));
        const auto line = lineAt(display, 0);
        QCOMPARE(line->atoms().size(), std::size_t(2));
        QCOMPARE(line->atoms().at(0)->nucleus(), kItalicX);
        QCOMPARE(line->atoms().at(1)->nucleus(), kItalicY);
    }

    // A style atom flushes the run; the atoms on its sides are spaced under the new style.
    void styleAtomChangesTheFollowingAtoms() {
        const auto display = layout(
            listOf({atom("x"), std::make_shared<MTMathStyle>(MTLineStyle::script), atom("+"), atom("y")}));
        QCOMPARE(display->subDisplays().size(), std::size_t(2));
        const auto x = lineAt(display, 0);
        const auto rest = lineAt(display, 1);
        QCOMPARE(rest->position().x(), x->width());
        QVERIFY(rest->attributedString().kerns().empty());
        QCOMPARE(x->attributedString().font()->pointSize(), 20.0);
        QCOMPARE(rest->attributedString().font()->pointSize(),
                 20 * defaultFont()->mathTable()->scriptScaleDown());
    }

    // Inside \left( a, \right): nothing before the first atom, the space of punctuation before a closing
    // delimiter after the last.
    void spacedInnerAddsTheClosingSpace() {
        auto inner = std::make_shared<MTInner>();
        inner->setLeftBoundary(MTMathAtomFactory::boundaryForDelimiter(QStringLiteral("(")));
        inner->setRightBoundary(MTMathAtomFactory::boundaryForDelimiter(QStringLiteral(")")));
        inner->setInnerList(chars("a,"));
        const auto display = layout(listOf({inner}));
        QCOMPARE(display->subDisplays().size(), std::size_t(1));
        const auto group = std::dynamic_pointer_cast<MTMathListDisplay>(display->subDisplays().front());
        QVERIFY(group);
        QCOMPARE(group->subDisplays().size(), std::size_t(3));
        const auto inside = std::dynamic_pointer_cast<MTMathListDisplay>(group->subDisplays().at(1));
        QVERIFY(inside);
        const auto line = lineAt(inside, 0);
        QCOMPARE(line->position().x(), 0.0);
        QCOMPARE(line->width(), textWidth(QString::fromUcs4(U"\U0001D44E") + ",") + 3 * kMu);
    }

    void emptyFormula() {
        const auto display = layout(std::make_shared<MTMathList>());
        QCOMPARE(display->width(), 0.0);
        QCOMPARE(display->ascent(), 0.0);
        QCOMPARE(display->range(), (MTRange{0, 0}));
        QVERIFY(display->subDisplays().empty());
        QCOMPARE(layout(nullptr)->width(), 0.0);
    }

    void colourAtoms_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("color");
        QTest::addColumn<qreal>("spaceMu");
        QTest::addColumn<bool>("textColor");
        QTest::newRow("color") << 0 << "#FF0000" << 0.0 << true;
        QTest::newRow("textcolor spaces against its first atom") << 1 << "#FF0000" << 5.0 << true;
        QTest::newRow("colorbox") << 2 << "#FF0000" << 0.0 << false;
        QTest::newRow("unreadable colour") << 0 << "red" << 0.0 << true;
    }

    void colourAtoms() {
        QFETCH(int, kind);
        QFETCH(QString, color);
        QFETCH(qreal, spaceMu);
        QFETCH(bool, textColor);
        std::shared_ptr<MTColorAtom> colored;
        if (kind == 0)
            colored = std::make_shared<MTMathColor>();
        else if (kind == 1)
            colored = std::make_shared<MTMathTextColor>();
        else
            colored = std::make_shared<MTMathColorbox>();
        colored->setColorString(color);
        colored->setInnerList(chars("=y"));
        const auto display = layout(listOf({atom("x"), colored, atom("z")}));
        QCOMPARE(display->subDisplays().size(), std::size_t(3));
        const auto x = lineAt(display, 0);
        const auto& group = display->subDisplays().at(1);
        QCOMPARE(group->position().x(), x->width() + spaceMu * kMu);
        const auto expected = colorFromHex(color);
        QCOMPARE(group->localTextColor(), textColor ? expected : std::nullopt);
        QCOMPARE(group->localBackgroundColor(), textColor ? std::nullopt : expected);
        // The group counts as ordinary for the atom after it.
        QCOMPARE(display->subDisplays().at(2)->position().x(), group->position().x() + group->width());
        display->setTextColor(QColor(Qt::black));
        if (textColor && expected)
            QCOMPARE(*lineAt(std::static_pointer_cast<MTMathListDisplay>(group), 0)->textColor(), *expected);
    }

    void placeholderIsBlue() {
        const auto line = lineAt(layout(listOf({MTMathAtomFactory::placeholder()})), 0);
        QCOMPARE(line->attributedString().colorRanges().size(), std::size_t(1));
        QCOMPARE(line->attributedString().colorRanges().front().color, QColor(Qt::blue));
    }

private:
    static std::optional<QColor> colorFromHex(const QString& text) {
        if (!text.startsWith('#'))
            return std::nullopt;
        return QColor(text);
    }
};

QTEST_MAIN(TestTypesetter)
#include "test_typesetter.moc"
