// The sidebar's rules as tables: what a click does to the selection, and how a dropped text reads.
#include "ui/sidebar/PageDropPayload.h"
#include "ui/sidebar/SidebarSelection.h"

#include <QTest>

using namespace zepla::ui;
using zepla::document::IndexSet;

Q_DECLARE_METATYPE(IndexSet)
Q_DECLARE_METATYPE(std::optional<int>)
Q_DECLARE_METATYPE(std::optional<qint64>)

class TestSidebarRules : public QObject {
    Q_OBJECT

private slots:
    void clicks_data() {
        QTest::addColumn<IndexSet>("selection");
        QTest::addColumn<std::optional<int>>("lastClicked");
        QTest::addColumn<int>("index");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<IndexSet>("expected");
        QTest::addColumn<bool>("goesToPage");
        const std::optional<int> none;
        const Qt::KeyboardModifiers plain = Qt::NoModifier;
        QTest::newRow("plain click empties and goes")
            << IndexSet{1, 4} << std::optional(4) << 2 << plain << IndexSet{} << true;
        QTest::newRow("ctrl adds") << IndexSet{1} << none << 3 << Qt::KeyboardModifiers(Qt::ControlModifier)
                                   << IndexSet{1, 3} << false;
        QTest::newRow("ctrl removes") << IndexSet{1, 3} << std::optional(1) << 3
                                      << Qt::KeyboardModifiers(Qt::ControlModifier) << IndexSet{1} << false;
        QTest::newRow("ctrl is tested before shift")
            << IndexSet{2} << std::optional(0) << 2 << (Qt::ControlModifier | Qt::ShiftModifier) << IndexSet{}
            << false;
        QTest::newRow("shift adds the range upwards, keeping the rest")
            << IndexSet{5, 9} << std::optional(5) << 2 << Qt::KeyboardModifiers(Qt::ShiftModifier)
            << IndexSet{2, 3, 4, 5, 9} << false;
        QTest::newRow("shift adds the range downwards")
            << IndexSet{} << std::optional(1) << 3 << Qt::KeyboardModifiers(Qt::ShiftModifier)
            << IndexSet{1, 2, 3} << false;
        QTest::newRow("shift never removes")
            << IndexSet{2, 3} << std::optional(3) << 3 << Qt::KeyboardModifiers(Qt::ShiftModifier)
            << IndexSet{2, 3} << false;
        QTest::newRow("shift without an earlier click is a plain click")
            << IndexSet{4} << none << 2 << Qt::KeyboardModifiers(Qt::ShiftModifier) << IndexSet{} << true;
        QTest::newRow("other modifiers only are a plain click")
            << IndexSet{4} << std::optional(4) << 2 << Qt::KeyboardModifiers(Qt::AltModifier) << IndexSet{}
            << true;
    }

    void clicks() {
        QFETCH(IndexSet, selection);
        QFETCH(std::optional<int>, lastClicked);
        QFETCH(int, index);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(IndexSet, expected);
        QFETCH(bool, goesToPage);
        const SidebarSelection::Click click =
            SidebarSelection::apply(selection, lastClicked, index, modifiers);
        QCOMPARE(click.selection, expected);
        QCOMPARE(click.goesToPage, goesToPage);
    }

    void payloads_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<qint64>>("expected");
        const std::optional<qint64> none;
        QTest::newRow("digits") << "2" << std::optional<qint64>(2);
        QTest::newRow("plus sign") << "+2" << std::optional<qint64>(2);
        QTest::newRow("negative reads") << "-1" << std::optional<qint64>(-1);
        QTest::newRow("leading space") << " 2" << none;
        QTest::newRow("trailing space") << "2 " << none;
        QTest::newRow("letters") << "x" << none;
        QTest::newRow("digits then letters") << "2x" << none;
        QTest::newRow("empty") << "" << none;
        QTest::newRow("sign alone") << "+" << none;
        QTest::newRow("largest 64-bit")
            << "9223372036854775807" << std::optional<qint64>(9223372036854775807LL);
        QTest::newRow("past 64 bits") << "9223372036854775808" << none;
        QTest::newRow("arabic-indic digit") << QString(QChar(0x0662)) << none;
    }

    void payloads() {
        QFETCH(QString, text);
        QFETCH(std::optional<qint64>, expected);
        QCOMPARE(PageDropPayload::read(text), expected);
    }

    void payloadIsTheIndexInDecimal() { QCOMPARE(PageDropPayload::make(12), QStringLiteral("12")); }
};

QTEST_APPLESS_MAIN(TestSidebarRules)
#include "test_sidebar_rules.moc"
