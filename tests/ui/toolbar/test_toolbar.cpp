// The workspace toolbar: its help texts, its keyboard shortcuts, the tool buttons and the sticky markups,
// Edit Text, the tool settings that follow the tool, zoom and pages, OCR Page, the narrow-window layout, and
// a rectangle drawn with the tool chosen from its button and found in the saved file.
#include "../support/EditorDocuments.h"
#include "../support/ViewDrags.h"
#include "PdfFixtures.h"
#include "annotations/ToolState.h"
#include "core/UndoManager.h"
#include "document/PDFEditorDocument.h"
#include "document/pages/PageOperations.h"
#include "pdf/PdfDocument.h"
#include "pdfview/annotating/AnnotatingPDFView.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "ui/signatures/SignaturePickerView.h"
#include "ui/theme/ColorSwatchButton.h"
#include "ui/theme/Colors.h"
#include "ui/theme/ToolbarLabeledButton.h"
#include "ui/theme/ToolbarPillButton.h"
#include "ui/toolbar/ColorAndWidthGroup.h"
#include "ui/toolbar/ColorWell.h"
#include "ui/toolbar/FontMenuButton.h"
#include "ui/toolbar/MarkupGroup.h"
#include "ui/toolbar/PageGroup.h"
#include "ui/toolbar/PointSizeField.h"
#include "ui/toolbar/SegmentedPicker.h"
#include "ui/toolbar/SignaturePopover.h"
#include "ui/toolbar/SizeControl.h"
#include "ui/toolbar/ToolGroup.h"
#include "ui/toolbar/ToolbarHelp.h"
#include "ui/toolbar/WorkspaceToolbar.h"
#include "ui/workspace/PDFEditorWorkspaceView.h"
#include "ui/workspace/ToolSwitchToast.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;
using namespace zepla::ui;
using annotations::AnnotationTool;
using annotations::MarkupAction;

namespace {

struct Window {
    explicit Window(int width = 1600, const QByteArray& bytes = fixtures::makeTextPdf(5))
        : document(testsupport::editorDocument(bytes)),
          workspace(*document, undoManager, toolState, QString()) {
        workspace.resize(width, 900);
        workspace.show();
        workspace.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&workspace));
    }
    WorkspaceToolbar& toolbar() { return *workspace.toolbar(); }
    ColorAndWidthGroup& settings() { return *toolbar().colorAndWidthGroup(); }
    QString toast() { return workspace.toast()->message(); }
    platform::UndoManager undoManager;
    annotations::ToolState toolState;
    std::unique_ptr<document::PDFEditorDocument> document;
    PDFEditorWorkspaceView workspace;
};

// Whether a widget is shown and lies wholly inside another, visible one.
bool reachable(const QWidget* widget, const QWidget* within) {
    const QRect box(widget->mapTo(within, QPoint(0, 0)), widget->size());
    return widget->isVisibleTo(within) && within->rect().contains(box);
}

} // namespace

class TestToolbar : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void helpTextsArePinned() {
        QCOMPARE(ToolbarHelp::tool(AnnotationTool::select), QString("Select (Ctrl+1)"));
        QCOMPARE(ToolbarHelp::tool(AnnotationTool::ink), QString("Draw (Ctrl+2)"));
        QCOMPARE(ToolbarHelp::tool(AnnotationTool::signature), QString("Sign (Ctrl+9)"));
        QCOMPARE(ToolbarHelp::tool(AnnotationTool::redact), QString("Redact (Ctrl+r)"));
        QCOMPARE(ToolbarHelp::tool(AnnotationTool::form), QString("Form Field (Ctrl+f)"));
        QCOMPARE(
            ToolbarHelp::markup(MarkupAction::highlight),
            QString("Highlight selected text, or click with nothing selected to keep highlighting whatever "
                    "you select next, until you click it again (Ctrl+Shift+H)"));
        QCOMPARE(
            ToolbarHelp::markup(MarkupAction::underline),
            QString("Underline selected text, or click with nothing selected to keep underlineing whatever "
                    "you select next, until you click it again (Ctrl+Shift+U)"));
        QCOMPARE(
            ToolbarHelp::markup(MarkupAction::strikethrough),
            QString("Strikethrough selected text, or click with nothing selected to keep strikethroughing "
                    "whatever you select next, until you click it again (Ctrl+Shift+X)"));
        QCOMPARE(ToolbarHelp::sidebar(), QString("Toggle Page Sidebar (Alt+Ctrl+S)"));
        QCOMPARE(ToolbarHelp::ask(), QString("Ask the AI assistant about this PDF (Ctrl+K)"));
        QCOMPARE(ToolbarHelp::settings(), QString("AI Assistant Settings… (Ctrl+,)"));
        QCOMPARE(ToolbarHelp::zoomIn(), QString("Zoom In (Ctrl++)"));

        Window w;
        QCOMPARE(w.toolbar().openButton()->toolTip(), QString("Open a PDF or Word document…"));
        QCOMPARE(
            w.toolbar().ocrButton()->toolTip(),
            QString("Recognize text on the current page, copy it out, and make it selectable if it wasn't "
                    "already"));
        QCOMPARE(w.toolbar().editTextButton()->toolTip(),
                 QString("Editing Mode: click any line of text in the PDF to edit it in place"));
        QCOMPARE(w.toolbar().toolGroup()->button(AnnotationTool::line)->toolTip(), QString("Line (Ctrl+5)"));
        QCOMPARE(w.settings().colorWell()->toolTip(), QString("Custom marker color"));
        QCOMPARE(w.settings().swatches().first()->toolTip(), QString("Marker color presets"));
    }

    void eachToolHasItsShortcutAndSaysSo_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("tool");
        QTest::addColumn<QString>("message");
        const int keys[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5, Qt::Key_6,
                            Qt::Key_7, Qt::Key_8, Qt::Key_9, Qt::Key_R, Qt::Key_F};
        const char* labels[] = {"Select", "Draw",   "Rectangle", "Oval",   "Line",      "Text Box",
                                "Note",   "Eraser", "Sign",      "Redact", "Form Field"};
        for (int i = 0; i < 11; ++i)
            QTest::newRow(labels[i]) << keys[i] << i << QString("Switched to %1 Tool").arg(labels[i]);
    }
    void eachToolHasItsShortcutAndSaysSo() {
        QFETCH(int, key);
        QFETCH(int, tool);
        QFETCH(QString, message);
        Window w;
        // Start elsewhere, with a sticky markup and text editing on: the switch ends both.
        w.toolState.setTool(tool == 1 ? AnnotationTool::oval : AnnotationTool::ink);
        w.toolState.setActiveMarkupMode(MarkupAction::underline);
        w.toolState.setTextEditingModeEnabled(true);
        QTest::keyClick(w.workspace.pdfView()->viewport(), Qt::Key(key), Qt::ControlModifier);
        QCOMPARE(static_cast<int>(w.toolState.tool()), tool);
        QCOMPARE(w.toolState.activeMarkupMode(), std::nullopt);
        QVERIFY(!w.toolState.isTextEditingModeEnabled());
        QCOMPARE(w.toast(), message);
        for (AnnotationTool each : annotations::allCases<AnnotationTool>())
            QCOMPARE(w.toolbar().toolGroup()->button(each)->isSelected(), static_cast<int>(each) == tool);
        QVERIFY(!w.toolbar().markupGroup()->button(MarkupAction::underline)->isSelected());
    }

    void theSignButtonOpensThePickerEveryTime() {
        Window w;
        QSignalSpy opened(&w.workspace, &PDFEditorWorkspaceView::showSignaturePopoverChanged);
        QTest::mouseClick(w.toolbar().toolGroup()->button(AnnotationTool::signature), Qt::LeftButton);
        QVERIFY(w.workspace.showSignaturePopover());
        QWidget* popup = w.toolbar().toolGroup()->signaturePopover()->popup();
        QVERIFY(popup && popup->isVisible());
        QVERIFY(w.toolbar().toolGroup()->signaturePopover()->picker()->isVisible());
        // Closed by the platform (a click elsewhere): the workspace hears of it.
        popup->hide();
        QVERIFY(!w.workspace.showSignaturePopover());
        w.workspace.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.workspace));
        QTest::keyClick(w.workspace.pdfView()->viewport(), Qt::Key_9, Qt::ControlModifier);
        QVERIFY(w.workspace.showSignaturePopover());
        QVERIFY(popup->isVisible());
        QCOMPARE(opened.count(), 3);
        // Choosing the tool again while the picker is open keeps it open.
        w.workspace.selectTool(AnnotationTool::signature);
        QVERIFY(popup->isVisible());
    }

    void theStickyMarkups() {
        Window w;
        ToolbarPillButton* highlight = w.toolbar().markupGroup()->button(MarkupAction::highlight);
        ToolbarPillButton* underline = w.toolbar().markupGroup()->button(MarkupAction::underline);
        const QString before = w.toast();

        // Nothing selected: on, then off again; the tool stays select.
        QTest::mouseClick(highlight, Qt::LeftButton);
        QCOMPARE(w.toolState.activeMarkupMode(), MarkupAction::highlight);
        QVERIFY(highlight->isSelected());
        QTest::mouseClick(highlight, Qt::LeftButton);
        QCOMPARE(w.toolState.activeMarkupMode(), std::nullopt);
        QVERIFY(!highlight->isSelected());
        QCOMPARE(w.toolState.tool(), AnnotationTool::select);

        // Another markup replaces the sticky one.
        QTest::keyClick(w.workspace.pdfView()->viewport(), Qt::Key_H,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(w.workspace.pdfView()->viewport(), Qt::Key_U,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(w.toolState.activeMarkupMode(), MarkupAction::underline);
        QVERIFY(underline->isSelected());
        QVERIFY(!highlight->isSelected());

        // Ctrl+Shift+X from the eraser: strike-through mode with the select tool, text editing off.
        w.toolState.setTool(AnnotationTool::eraser);
        w.toolState.setTextEditingModeEnabled(true);
        QTest::keyClick(w.workspace.pdfView()->viewport(), Qt::Key_X,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(w.toolState.activeMarkupMode(), MarkupAction::strikethrough);
        QCOMPARE(w.toolState.tool(), AnnotationTool::select);
        QVERIFY(!w.toolState.isTextEditingModeEnabled());
        QCOMPARE(w.toast(), before); // markups say nothing

        // A tool shortcut ends the sticky mode.
        QTest::keyClick(w.workspace.pdfView()->viewport(), Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(w.toolState.activeMarkupMode(), std::nullopt);
        QVERIFY(!w.toolbar().markupGroup()->button(MarkupAction::strikethrough)->isSelected());
    }

    void editTextSwitchesToSelectAndSaysSoOnlyWhenTurnedOn() {
        Window w;
        w.toolState.setTool(AnnotationTool::ink);
        w.toolState.setActiveMarkupMode(MarkupAction::highlight);
        ToolbarLabeledButton* editText = w.toolbar().editTextButton();
        QTest::mouseClick(editText, Qt::LeftButton);
        QVERIFY(w.toolState.isTextEditingModeEnabled());
        QVERIFY(editText->isSelected());
        QCOMPARE(w.toolState.tool(), AnnotationTool::select);
        QCOMPARE(w.toolState.activeMarkupMode(), std::nullopt);
        QCOMPARE(w.toast(), QString("Editing Mode — click any line of text to edit it"));
        w.workspace.announceToolSwitch("earlier");
        QTest::mouseClick(editText, Qt::LeftButton);
        QVERIFY(!w.toolState.isTextEditingModeEnabled());
        QVERIFY(!editText->isSelected());
        QCOMPARE(w.toast(), QString("earlier"));
    }

    void panelsFollowTheirShortcutsAndButtons() {
        Window w;
        QWidget* view = w.workspace.pdfView()->viewport();
        QVERIFY(w.toolbar().sidebarButton()->isSelected());
        QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(!w.workspace.showThumbnails());
        QVERIFY(!w.toolbar().sidebarButton()->isSelected());
        QTest::keyClick(view, Qt::Key_K, Qt::ControlModifier);
        QVERIFY(w.workspace.showAssistant());
        QVERIFY(w.toolbar().askButton()->isSelected());
        QTest::mouseClick(w.toolbar().askButton(), Qt::LeftButton);
        QVERIFY(!w.workspace.showAssistant());
        QSignalSpy settings(&w.workspace, &PDFEditorWorkspaceView::settingsRequested);
        QTest::mouseClick(w.toolbar().settingsButton(), Qt::LeftButton);
        QCOMPARE(settings.count(), 1);
    }

    void zoomStepsAndLimits() {
        Window w;
        pdfview::PDFView* view = w.workspace.pdfView();
        QWidget* target = view->viewport();
        const auto press = [&](Qt::Key key) { QTest::keyClick(target, key, Qt::ControlModifier); };
        view->setScaleFactor(1.0);
        for (int i = 0; i < 5; ++i)
            press(Qt::Key_Plus);
        QVERIFY(qFuzzyCompare(view->scaleFactor(), 1.75));
        press(Qt::Key_Equal);
        QVERIFY(qFuzzyCompare(view->scaleFactor(), 1.9));
        press(Qt::Key_Minus);
        QVERIFY(qFuzzyCompare(view->scaleFactor(), 1.75));
        press(Qt::Key_0);
        const double fit = view->scaleFactorForSizeToFit();
        QVERIFY(qFuzzyCompare(view->scaleFactor(), fit));
        press(Qt::Key_Plus);
        QVERIFY(qFuzzyCompare(view->scaleFactor(), fit + 0.15));
        view->setScaleFactor(pdfview::PDFView::minScaleFactor + 0.1);
        press(Qt::Key_Minus);
        QCOMPARE(view->scaleFactor(), pdfview::PDFView::minScaleFactor);
        press(Qt::Key_Minus);
        QCOMPARE(view->scaleFactor(), pdfview::PDFView::minScaleFactor);
        view->setScaleFactor(pdfview::PDFView::maxScaleFactor - 0.05);
        press(Qt::Key_Plus);
        QCOMPARE(view->scaleFactor(), pdfview::PDFView::maxScaleFactor);
    }

    void pagesMoveAndTheIndicatorFollows() {
        Window w;
        QLabel* indicator = w.toolbar().pageGroup()->indicator();
        QCOMPARE(indicator->text(), QString("1 of 5"));
        QVERIFY(indicator->isVisible());
        QTest::keyClick(w.workspace.pdfView()->viewport(), Qt::Key_Down, Qt::ControlModifier);
        QTRY_COMPARE(indicator->text(), QString("2 of 5"));
        QTest::keyClick(w.workspace.pdfView()->viewport(), Qt::Key_Up, Qt::ControlModifier);
        QTRY_COMPARE(indicator->text(), QString("1 of 5"));
    }

    void theSettingsFollowTheToolAndKeepTheirValues() {
        Window w;
        ColorAndWidthGroup& group = w.settings();
        QTest::mouseClick(w.toolbar().toolGroup()->button(AnnotationTool::ink), Qt::LeftButton);
        QVERIFY(group.colorControls()->isVisible());
        QVERIFY(!group.fontGroup()->isVisible());
        QTest::mouseClick(group.swatches().at(2), Qt::LeftButton);
        const QColor third = Color::annotationPresets().at(2);
        QCOMPARE(w.toolState.color(), third);
        QCOMPARE(group.colorWell()->color(), third);
        QTest::mouseClick(group.strokeWidth()->upButton(), Qt::LeftButton);
        QTest::mouseClick(group.strokeWidth()->upButton(), Qt::LeftButton);
        QCOMPARE(w.toolState.lineWidth(), 3.0);

        QTest::mouseClick(w.toolbar().toolGroup()->button(AnnotationTool::eraser), Qt::LeftButton);
        QVERIFY(!group.colorControls()->isVisible());
        QVERIFY(group.eraserGroup()->isVisible());
        QTest::mouseClick(group.eraserMode()->segment(1), Qt::LeftButton);
        QCOMPARE(w.toolState.eraserMode(), annotations::EraserMode::precise);
        QTest::mouseClick(group.eraserSize()->downButton(), Qt::LeftButton);
        QCOMPARE(w.toolState.eraserSize(), 18.0);

        QTest::mouseClick(w.toolbar().toolGroup()->button(AnnotationTool::form), Qt::LeftButton);
        QVERIFY(group.formGroup()->isVisible());
        QVERIFY(!group.eraserGroup()->isVisible());
        QVERIFY(!group.colorControls()->isVisible());
        QTest::mouseClick(group.formFieldMode()->segment(1), Qt::LeftButton);
        QCOMPARE(w.toolState.formFieldMode(), annotations::FormFieldMode::checkbox);

        // Back to drawing: the same colour and width; to text boxes: the font controls in their place.
        QTest::mouseClick(w.toolbar().toolGroup()->button(AnnotationTool::textBox), Qt::LeftButton);
        QVERIFY(group.colorControls()->isVisible());
        QVERIFY(group.fontGroup()->isVisible());
        QCOMPARE(group.colorWell()->color(), third);
        QCOMPARE(group.strokeWidth()->field()->lineEdit()->text(), QString("3"));
        QVERIFY(group.fontGroup()->x() > group.colorWell()->x());
        QVERIFY(group.strokeWidth()->x() > group.fontGroup()->x());
        QCOMPARE(group.fontMenu()->text(), QString("Sans"));
        group.fontMenu()->menu()->actions().at(4)->trigger();
        QCOMPARE(w.toolState.fontChoice(), annotations::AnnotationFont::marker);
        QCOMPARE(group.fontMenu()->text(), QString("Handwritten"));
        // The longest name is drawn whole, beside the menu's arrow and not under it.
        const FontMenuButton* fontMenu = group.fontMenu();
        QVERIFY(fontMenu->fontMetrics().horizontalAdvance("Handwritten") <= fontMenu->labelRect().width());
        QVERIFY(!fontMenu->labelRect().intersects(fontMenu->arrowRect()));
        QVERIFY(fontMenu->rect().contains(fontMenu->labelRect() | fontMenu->arrowRect()));
        int checked = 0;
        for (QAction* item : group.fontMenu()->menu()->actions())
            checked += item->icon().isNull() ? 0 : 1;
        QCOMPARE(checked, 1);
        QLineEdit* fontSize = group.fontSize()->field()->lineEdit();
        fontSize->setFocus();
        fontSize->selectAll();
        QTest::keyClicks(fontSize, "60");
        QTest::keyClick(fontSize, Qt::Key_Return);
        QCOMPARE(w.toolState.fontSize(), 48.0);
        QVERIFY(fontSize->hasFocus());

        // The field typed into goes with its tool, and takes the keyboard with it: no other size field gets
        // it with its text selected, for the next keys to overwrite.
        QTest::mouseClick(w.toolbar().toolGroup()->button(AnnotationTool::eraser), Qt::LeftButton);
        QVERIFY(!group.isAncestorOf(QApplication::focusWidget()));
        QVERIFY(!group.eraserSize()->field()->lineEdit()->hasSelectedText());
        QCOMPARE(group.eraserSize()->field()->lineEdit()->text(), QString("18"));
        QCOMPARE(group.eraserMode()->current(), 1);
    }

    void theColourDialogAppliesAtOnceWithOpacity() {
        Window w;
        ColorWell* well = w.settings().colorWell();
        QTest::mouseClick(well, Qt::LeftButton);
        QVERIFY(well->dialog());
        const QColor translucent(10, 120, 200, 128);
        well->dialog()->setCurrentColor(translucent);
        QCOMPARE(w.toolState.color(), translucent);
        QCOMPARE(well->color(), translucent);
        well->dialog()->close();
    }

    void ocrPageWithTextCopiesAndShowsIt() {
        // Twenty characters or more make a text layer.
        Window w(1600, fixtures::makeTextPdf(5, "with enough words to be a text layer"));
        QSignalSpy turns(&w.workspace, &PDFEditorWorkspaceView::assistantTurnRequested);
        const auto depth = w.undoManager.canUndo();
        QTest::mouseClick(w.toolbar().ocrButton(), Qt::LeftButton);
        QTRY_COMPARE(turns.count(), 1);
        const QString text = QApplication::clipboard()->text();
        QVERIFY(!text.isEmpty());
        QCOMPARE(turns.at(0).at(0).toString(), "Extracted text:\n\n" + text);
        QVERIFY(w.workspace.showAssistant());
        QCOMPARE(w.undoManager.canUndo(), depth);
    }

    void ocrPageWithoutTextSaysSoAndLeavesTheClipboard() {
        Window w(1600, fixtures::makePdf({{fixtures::PageSpec{}}}));
        QApplication::clipboard()->setText("kept");
        QSignalSpy turns(&w.workspace, &PDFEditorWorkspaceView::assistantTurnRequested);
        QTest::mouseClick(w.toolbar().ocrButton(), Qt::LeftButton);
        // The blank page is recognised, on a machine that may be busy.
        QTRY_COMPARE_WITH_TIMEOUT(turns.count(), 1, testsupport::hangGuardMs);
        QCOMPARE(turns.at(0).at(0).toString(),
                 QString("Extracted text:\n\nNo text could be recognized on this page."));
        QCOMPARE(QApplication::clipboard()->text(), QString("kept"));
    }

    // At any width the toolbar takes the same rows, height and least width for every tool (each chosen by
    // its shortcut), so the page view never moves and the window never widens; every control stays on it.
    // A four-digit page number changes nothing either.
    void theToolbarStaysTheSameForEveryTool_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("rows");
        QTest::newRow("1600") << 1600 << 2;
        QTest::newRow("1024") << 1024 << 2;
        QTest::newRow("904") << 904 << 3;
    }
    void theToolbarStaysTheSameForEveryTool() {
        QFETCH(int, width);
        QFETCH(int, rows);
        Window w(width, fixtures::makeTextPdf(1000));
        QTRY_COMPARE(w.toolbar().width(), width);
        QCOMPARE(w.toolbar().rowCount(), rows);
        const int height = w.toolbar().height();
        const int leastWidth = w.toolbar().minimumSizeHint().width();
        QVERIFY(leastWidth <= 904);
        const auto pageTop = [&w] { return w.workspace.pdfView()->mapTo(&w.workspace, QPoint(0, 0)).y(); };
        const int top = pageTop();
        // The zoom, page and action buttons keep their places too.
        QWidget* zoomOut = w.toolbar().findChildren<ToolbarPillButton*>().at(0);
        for (ToolbarPillButton* button : w.toolbar().findChildren<ToolbarPillButton*>())
            if (button->systemImage() == "minus.magnifyingglass")
                zoomOut = button;
        const QPoint zoomAt = zoomOut->mapTo(&w.toolbar(), QPoint(0, 0));
        const auto unchanged = [&](const QString& when) {
            QApplication::processEvents();
            QVERIFY2(w.toolbar().height() == height, qPrintable(when));
            QVERIFY2(w.toolbar().minimumSizeHint().width() == leastWidth, qPrintable(when));
            QVERIFY2(pageTop() == top, qPrintable(when));
            QVERIFY2(zoomOut->mapTo(&w.toolbar(), QPoint(0, 0)) == zoomAt, qPrintable(when));
            QVERIFY2(w.workspace.width() == width, qPrintable(when));
            for (QAbstractButton* button : w.toolbar().findChildren<QAbstractButton*>()) {
                if (button->isVisibleTo(&w.toolbar()))
                    QVERIFY2(reachable(button, &w.toolbar()), qPrintable(when + ": " + button->toolTip()));
            }
        };
        for (const char key : QByteArray("123456789rf")) {
            const Qt::Key shortcut = key >= 'a' ? Qt::Key(Qt::Key_A + key - 'a') : Qt::Key(key);
            QTest::keyClick(w.workspace.pdfView()->viewport(), shortcut, Qt::ControlModifier);
            // The signature picker opens with its tool; closed as by a click elsewhere.
            if (QWidget* popup = w.toolbar().toolGroup()->signaturePopover()->popup())
                popup->hide();
            w.workspace.activateWindow();
            unchanged(QStringLiteral("Ctrl+") + QLatin1Char(key));
        }
        QCOMPARE(w.toolState.tool(), AnnotationTool::form);
        QLabel* indicator = w.toolbar().pageGroup()->indicator();
        w.workspace.pdfView()->goToPage(999);
        QTRY_COMPARE(indicator->text(), QString("1000 of 1000"));
        unchanged(QStringLiteral("page 1000"));
        QVERIFY(indicator->width() >= indicator->sizeHint().width());
    }

    // Typing a size, Return, then the arrows: the arrows step from the typed value and show each step at
    // once, and leaving the field afterwards keeps the stepped value.
    void theArrowsStepFromATypedSize() {
        Window w;
        w.workspace.selectTool(AnnotationTool::ink);
        SizeControl* width = w.settings().strokeWidth();
        QLineEdit* field = width->field()->lineEdit();
        QTest::mouseClick(field, Qt::LeftButton);
        QTRY_VERIFY(field->hasFocus());
        field->selectAll();
        QTest::keyClicks(field, "10");
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(w.toolState.lineWidth(), 10.0);
        QVERIFY(field->hasFocus());
        QTest::mouseClick(width->upButton(), Qt::LeftButton);
        QCOMPARE(field->text(), QString("11"));
        QTest::mouseClick(width->downButton(), Qt::LeftButton);
        QTest::mouseClick(width->downButton(), Qt::LeftButton);
        QCOMPARE(field->text(), QString("9"));
        QCOMPARE(w.toolState.lineWidth(), 9.0);
        w.workspace.pdfView()->setFocus();
        QTRY_VERIFY(!field->hasFocus());
        QCOMPARE(field->text(), QString("9"));
        QCOMPARE(w.toolState.lineWidth(), 9.0);
    }

    // The page count follows every page edit at once, also when the current page stays where it was.
    void theIndicatorFollowsPageEdits() {
        Window w;
        QLabel* indicator = w.toolbar().pageGroup()->indicator();
        QCOMPARE(indicator->text(), QString("1 of 5"));
        document::PageOperations::deletePages(*w.document, {4}, &w.undoManager);
        QCOMPARE(indicator->text(), QString("1 of 4"));
        QApplication::processEvents(); // closes the undo step
        auto source = pdf::Document::open(fixtures::makeTextPdf(3)).value();
        document::PageOperations::merge(*w.document, *source, 4, &w.undoManager);
        QCOMPARE(indicator->text(), QString("1 of 7"));
        QApplication::processEvents();
        w.undoManager.undo();
        QCOMPARE(indicator->text(), QString("1 of 4"));
        w.undoManager.undo();
        QCOMPARE(indicator->text(), QString("1 of 5"));
        w.undoManager.redo();
        QCOMPARE(indicator->text(), QString("1 of 4"));
    }

    void aRectangleChosenFromItsButtonReachesTheSavedFile() {
        Window w;
        QTest::mouseClick(w.toolbar().toolGroup()->button(AnnotationTool::rectangle), Qt::LeftButton);
        QCOMPARE(w.toolState.tool(), AnnotationTool::rectangle);
        testsupport::dragAcrossTheMiddle(w.workspace.pdfView()->viewport());

        const auto saved = w.document->pdfDocument()->save();
        QVERIFY(saved.ok());
        QTemporaryDir dir;
        const QString path = dir.filePath("drawn.pdf");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(saved.value());
        file.close();

        QProcess qpdf;
        qpdf.start("qpdf", {"--qdf", "--object-streams=disable", path, "-"});
        QVERIFY2(qpdf.waitForFinished(10000) && qpdf.exitStatus() == QProcess::NormalExit, "qpdf must run");
        QVERIFY(qpdf.readAllStandardOutput().contains("/Subtype /Square"));

        auto reopened = pdf::Document::open(saved.value());
        QVERIFY(reopened.ok());
        int squares = 0;
        for (int page = 0; page < reopened.value()->pageCount(); ++page) {
            const auto listed = reopened.value()->annotations(page);
            for (const auto& annotation : listed.value())
                squares += annotation.subtype == QLatin1String("Square");
        }
        QCOMPARE(squares, 1);
    }
};

QTEST_MAIN(TestToolbar)
#include "test_toolbar.moc"
