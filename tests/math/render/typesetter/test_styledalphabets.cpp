// Styled alphabets: the code points each font style gives letters, digits and Greek, the letters taken from
// the Letterlike Symbols block, and the characters each style leaves alone.
#include "typesetter/MTStyledAlphabets.h"

#include <QTest>

using namespace zepla::math;

using CodePoints = QList<uint>;
Q_DECLARE_METATYPE(MTFontStyle)

class TestStyledAlphabets : public QObject {
    Q_OBJECT

private slots:
    void changeFont_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<MTFontStyle>("style");
        QTest::addColumn<CodePoints>("expected");
        using S = MTFontStyle;
        QTest::newRow("default h") << "h" << S::defaultStyle << CodePoints{0x210E};
        QTest::newRow("italic h") << "h" << S::italic << CodePoints{0x210E};
        QTest::newRow("bold h") << "h" << S::bold << CodePoints{0x1D421};
        QTest::newRow("default letters") << "xA" << S::defaultStyle << CodePoints{0x1D465, 0x1D434};
        QTest::newRow("default digits and point") << "3.1" << S::defaultStyle << CodePoints{'3', '.', '1'};
        QTest::newRow("bold number") << "3.14" << S::bold << CodePoints{0x1D7D1, '.', 0x1D7CF, 0x1D7D2};
        QTest::newRow("bold italic 7") << "7" << S::boldItalic << CodePoints{0x1D7D5};
        QTest::newRow("bold italic Greek") << QString(QChar(0x03B1)) << S::boldItalic << CodePoints{0x1D736};
        QTest::newRow("blackboard R r 0") << "Rr0" << S::blackboard << CodePoints{0x211D, 0x1D563, 0x1D7D8};
        QTest::newRow("caligraphic x e B A")
            << "xeBA" << S::caligraphic << CodePoints{0x1D465, 0x212F, 0x212C, 0x1D49C};
        QTest::newRow("fraktur 3 alpha")
            << QString("3") + QChar(0x03B1) << S::fraktur << CodePoints{'3', 0x1D6FC};
        QTest::newRow("fraktur C a") << "Ca" << S::fraktur << CodePoints{0x212D, 0x1D51E};
        QTest::newRow("capital Gamma default")
            << QString(QChar(0x0393)) << S::defaultStyle << CodePoints{0x0393};
        QTest::newRow("capital Gamma italic") << QString(QChar(0x0393)) << S::italic << CodePoints{0x1D6E4};
        QTest::newRow("final sigma italic") << QString(QChar(0x03C2)) << S::italic << CodePoints{0x1D70D};
        QTest::newRow("phi variant default")
            << QString(QChar(0x03D5)) << S::defaultStyle << CodePoints{0x1D719};
        QTest::newRow("epsilon variant bold") << QString(QChar(0x03F5)) << S::bold << CodePoints{0x1D6DC};
        QTest::newRow("roman unchanged") << "xR1" << S::roman << CodePoints{'x', 'R', '1'};
        QTest::newRow("typewriter") << "Aa0" << S::typewriter << CodePoints{0x1D670, 0x1D68A, 0x1D7F6};
        QTest::newRow("sans serif") << "Aa0" << S::sansSerif << CodePoints{0x1D5A0, 0x1D5BA, 0x1D7E2};
        QTest::newRow("typewriter Greek falls back")
            << QString(QChar(0x03B2)) << S::typewriter << CodePoints{0x1D6FD};
        QTest::newRow("empty") << "" << S::bold << CodePoints{};
        QTest::newRow("unknown character stays") << "+" << S::defaultStyle << CodePoints{'+'};
    }

    void changeFont() {
        QFETCH(QString, text);
        QFETCH(MTFontStyle, style);
        QFETCH(CodePoints, expected);
        const QList<uint> actual = zepla::math::changeFont(text, style).toUcs4();
        QCOMPARE(actual, expected);
    }

    // Every styled letter, digit and Greek letter is the same character in another font: Unicode's
    // compatibility decomposition of what a style gives is that of the character it was given (the Greek
    // symbol variants decompose to their letters).
    void everyStyleKeepsTheCharacter() {
        QList<char32_t> characters;
        for (char32_t ch : {U'A', U'a', U'0'})
            for (char32_t k = 0; k < (ch == U'0' ? 10 : 26); ++k)
                characters.append(ch + k);
        for (char32_t ch = 0x0391; ch <= 0x03C9; ++ch)
            if (QChar::category(ch) != QChar::Other_NotAssigned)
                characters.append(ch);
        characters.append({0x03F5, 0x03D1, 0x03F0, 0x03D5, 0x03F1, 0x03D6});
        for (int raw = 0; raw <= rawValue(MTFontStyle::boldItalic); ++raw) {
            const MTFontStyle style = fontStyleFromRaw(raw).value();
            for (char32_t ch : characters) {
                const QString given = QString::fromUcs4(&ch, 1);
                const QString styled = zepla::math::changeFont(given, style);
                QVERIFY2(styled.normalized(QString::NormalizationForm_KC) ==
                             given.normalized(QString::NormalizationForm_KC),
                         qPrintable(QString("style %1: U+%2 became U+%3")
                                        .arg(raw)
                                        .arg(uint(ch), 4, 16, QChar('0'))
                                        .arg(styled.toUcs4().value(0), 4, 16, QChar('0'))));
            }
        }
    }

    // Every letter of every alphabet lands on an assigned character: the holes of the Mathematical
    // Alphanumeric block are the letters the Letterlike block supplies.
    void everyLetterIsAssigned() {
        for (auto mapping : {getItalicized, getBold, getBoldItalic, getCaligraphic, getTypewriter,
                             getSansSerif, getFraktur, getBlackboard}) {
            for (char32_t ch = U'A'; ch <= U'z'; ch = ch == U'Z' ? U'a' : ch + 1) {
                const char32_t mapped = mapping(ch);
                QVERIFY2(QChar::category(mapped) != QChar::Other_NotAssigned,
                         qPrintable(QString::number(mapped, 16)));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestStyledAlphabets)
#include "test_styledalphabets.moc"
