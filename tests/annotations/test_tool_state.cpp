// The tool enumerations and a new window's tool state.
#include "annotations/ToolState.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace zepla::annotations;

class TestToolState : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void newStateHasTheDefaultsWhateverAnEarlierOneUsed() {
        {
            ToolState earlier;
            earlier.setTool(AnnotationTool::ink);
            earlier.setLineWidth(7);
            earlier.setActiveMarkupMode(MarkupAction::underline);
        }
        ToolState state;
        QCOMPARE(state.tool(), AnnotationTool::select);
        QCOMPARE(state.color(), QColor(242, 169, 59));
        QCOMPARE(state.lineWidth(), 1.0);
        QCOMPARE(state.fontSize(), 16.0);
        QCOMPARE(state.fontChoice(), AnnotationFont::system);
        QCOMPARE(state.eraserSize(), 20.0);
        QCOMPARE(state.eraserMode(), EraserMode::wholeStroke);
        QCOMPARE(state.formFieldMode(), FormFieldMode::text);
        QCOMPARE(state.lineEndStyle(), LineEndStyle::none);
        QVERIFY(!state.activeMarkupMode().has_value());
        QVERIFY(!state.isTextEditingModeEnabled());
    }

    void settingAValueAnnouncesItOnce() {
        ToolState state;
        QSignalSpy any(&state, &ToolState::changed);
        QSignalSpy width(&state, &ToolState::lineWidthChanged);
        state.setLineWidth(3);
        state.setLineWidth(3);
        QCOMPARE(any.count(), 1);
        QCOMPARE(width.count(), 1);
        QCOMPARE(width.first().first().toReal(), 3.0);
    }

    void toolsInOrderWithTheirNames() {
        const QStringList raws{"select", "ink",    "rectangle", "oval",   "line", "textBox",
                               "note",   "eraser", "signature", "redact", "form"};
        const QStringList labels{"Select", "Draw",   "Rectangle", "Oval",   "Line",      "Text Box",
                                 "Note",   "Eraser", "Sign",      "Redact", "Form Field"};
        const QStringList symbols{"cursorarrow",   "pencil.tip", "rectangle", "circle",
                                  "line.diagonal", "textformat", "note.text", "eraser",
                                  "signature",     "eye.slash",  "checklist"};
        const QString keys = "123456789rf";
        const auto& tools = allCases<AnnotationTool>();
        QCOMPARE(int(tools.size()), raws.size());
        for (int i = 0; i < raws.size(); ++i) {
            QCOMPARE(rawValue(tools[i]), raws[i]);
            QCOMPARE(label(tools[i]), labels[i]);
            QCOMPARE(symbolName(tools[i]), symbols[i]);
            QCOMPARE(shortcutKey(tools[i]), keys[i]);
            QCOMPARE(fromRawValue<AnnotationTool>(raws[i]), std::optional(tools[i]));
        }
    }

    void rawValuesMatchExactly_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<bool>("known");
        QTest::newRow("exact") << "textBox" << true;
        QTest::newRow("letter case") << "textbox" << false;
        QTest::newRow("capitalised") << "Select" << false;
        QTest::newRow("empty") << "" << false;
    }
    void rawValuesMatchExactly() {
        QFETCH(QString, raw);
        QFETCH(bool, known);
        QCOMPARE(fromRawValue<AnnotationTool>(raw).has_value(), known);
    }

    void markupsAndOptions() {
        QCOMPARE(label(MarkupAction::strikethrough), QString("Strikethrough"));
        QCOMPARE(shortcutKey(MarkupAction::strikethrough), QChar('x'));
        QCOMPARE(label(MarkupAction::highlight), QString("Highlight"));
        QCOMPARE(subtype(MarkupAction::highlight), QString("Highlight"));
        QCOMPARE(subtype(MarkupAction::underline), QString("Underline"));
        QCOMPARE(subtype(MarkupAction::strikethrough), QString("StrikeOut"));
        QCOMPARE(label(EraserMode::wholeStroke), QString("Line"));
        QCOMPARE(label(EraserMode::precise), QString("Precise"));
        QCOMPARE(label(FormFieldMode::text), QString("Text Field"));
        QCOMPARE(label(FormFieldMode::checkbox), QString("Checkbox"));
        QStringList fonts;
        for (AnnotationFont f : allCases<AnnotationFont>())
            fonts << label(f);
        QCOMPARE(fonts, QStringList({"Sans", "Serif", "Mono", "Rounded", "Handwritten"}));
        QCOMPARE(fromRawValue<LineEndStyle>(QStringLiteral("closedArrow")),
                 std::optional(LineEndStyle::closedArrow));
        QCOMPARE(int(LineEndStyle::closedArrow), 5);
    }

    void handwrittenFaceIsBoldWhateverWeightIsAsked() {
        const QFont marker = font(AnnotationFont::marker, 14, QFont::Light);
        QCOMPARE(marker.pointSizeF(), 14.0);
        if (QFontDatabase::hasFamily("Comic Neue")) {
            QCOMPARE(marker.family(), QString("Comic Neue"));
            QCOMPARE(marker.weight(), QFont::Bold);
        } else {
            QCOMPARE(marker.weight(), QFont::Light);
        }
        QCOMPARE(font(AnnotationFont::system, 16, QFont::Medium).weight(), QFont::Medium);
    }
};

QTEST_MAIN(TestToolState)
#include "test_tool_state.moc"
