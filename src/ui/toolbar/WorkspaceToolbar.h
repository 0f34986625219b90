// The document window's toolbar over the workspace: Open, the page sidebar, the tools and the markups at the
// leading side; the current tool's settings, zoom, pages, Edit Text, OCR Page, Ask and the settings at the
// trailing side, on the application tint, in as many rows as the width needs (the same for every tool). It
// reads and writes the tool state and the coordinator; everything else it asks of its owner by its signals,
// and its owner tells it which panels are shown.
#pragma once

#include "annotations/AnnotationTool.h"

#include <QWidget>

namespace zepla::annotations {
class ToolState;
}
namespace zepla::pdfview {
class PDFViewCoordinator;
}

namespace zepla::ui {

class ColorAndWidthGroup;
class MarkupGroup;
class PageGroup;
class ToolGroup;
class ToolbarLabeledButton;
class ToolbarPillButton;
class ToolbarRowsLayout;

class WorkspaceToolbar : public QWidget {
    Q_OBJECT

public:
    WorkspaceToolbar(annotations::ToolState& toolState, pdfview::PDFViewCoordinator& coordinator,
                     QWidget* parent = nullptr);

    ToolGroup* toolGroup() const { return m_toolGroup; }
    MarkupGroup* markupGroup() const { return m_markupGroup; }
    ColorAndWidthGroup* colorAndWidthGroup() const { return m_colorAndWidthGroup; }
    PageGroup* pageGroup() const { return m_pageGroup; }
    ToolbarLabeledButton* openButton() const { return m_open; }
    ToolbarPillButton* sidebarButton() const { return m_sidebar; }
    ToolbarLabeledButton* editTextButton() const { return m_editText; }
    ToolbarLabeledButton* ocrButton() const { return m_ocr; }
    ToolbarLabeledButton* askButton() const { return m_ask; }
    ToolbarPillButton* settingsButton() const { return m_settings; }
    // The rows the toolbar takes at its current width, whatever the tool.
    int rowCount() const;

    // What the owner shows, marked on the sidebar and Ask buttons.
    void setSidebarShown(bool shown);
    void setAssistantShown(bool shown);

signals:
    void openRequested();
    void sidebarToggled();
    void toolChosen(annotations::AnnotationTool tool);
    void markupToggled(annotations::MarkupAction action);
    void textEditingToggled();
    void ocrPageRequested();
    void assistantToggled();
    void settingsRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* makeLeadingGroup(annotations::ToolState& toolState);
    QWidget* makeTrailingGroup(annotations::ToolState& toolState, pdfview::PDFViewCoordinator& coordinator);

    ToolbarRowsLayout* m_layout;
    ToolGroup* m_toolGroup = nullptr;
    MarkupGroup* m_markupGroup = nullptr;
    ColorAndWidthGroup* m_colorAndWidthGroup = nullptr;
    PageGroup* m_pageGroup = nullptr;
    ToolbarLabeledButton* m_open = nullptr;
    ToolbarPillButton* m_sidebar = nullptr;
    ToolbarLabeledButton* m_editText = nullptr;
    ToolbarLabeledButton* m_ocr = nullptr;
    ToolbarLabeledButton* m_ask = nullptr;
    ToolbarPillButton* m_settings = nullptr;
};

} // namespace zepla::ui
