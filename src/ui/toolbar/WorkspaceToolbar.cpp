#include "ui/toolbar/WorkspaceToolbar.h"

#include "annotations/ToolState.h"
#include "ui/theme/Colors.h"
#include "ui/theme/ToolbarLabeledButton.h"
#include "ui/theme/ToolbarPillButton.h"
#include "ui/theme/ToolbarSectionDivider.h"
#include "ui/toolbar/ColorAndWidthGroup.h"
#include "ui/toolbar/MarkupGroup.h"
#include "ui/toolbar/PageGroup.h"
#include "ui/toolbar/ToolGroup.h"
#include "ui/toolbar/ToolbarButtons.h"
#include "ui/toolbar/ToolbarHelp.h"
#include "ui/toolbar/ToolbarRowsLayout.h"
#include "ui/toolbar/ZoomGroup.h"

#include <QHBoxLayout>
#include <QPainter>

namespace zepla::ui {

namespace {

QHBoxLayout* groupRow(QWidget* group) {
    auto* row = new QHBoxLayout(group);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    return row;
}

} // namespace

WorkspaceToolbar::WorkspaceToolbar(annotations::ToolState& toolState,
                                   pdfview::PDFViewCoordinator& coordinator, QWidget* parent)
    : QWidget(parent), m_layout(new ToolbarRowsLayout(this)) {
    m_layout->setContentsMargins(8, 6, 8, 6);
    QWidget* leading = makeLeadingGroup(toolState);
    m_colorAndWidthGroup = new ColorAndWidthGroup(toolState, this);
    m_layout->setGroups(leading, m_colorAndWidthGroup, makeTrailingGroup(toolState, coordinator));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QWidget* WorkspaceToolbar::makeLeadingGroup(annotations::ToolState& toolState) {
    auto* group = new QWidget(this);
    QHBoxLayout* row = groupRow(group);
    m_open = labeledButton(
        QStringLiteral("doc.badge.plus"), QStringLiteral("Open"), Color::brandBlue(), ToolbarHelp::open(),
        [this] { emit openRequested(); }, group);
    row->addWidget(m_open);
    row->addWidget(new ToolbarSectionDivider(group));
    const auto toggleSidebar = [this] { emit sidebarToggled(); };
    m_sidebar = pillButton(QStringLiteral("sidebar.left"), Color::inkSlate(), ToolbarHelp::sidebar(),
                           toggleSidebar, group);
    bindShortcut(m_sidebar, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S), toggleSidebar);
    row->addWidget(m_sidebar);
    row->addWidget(new ToolbarSectionDivider(group));
    m_toolGroup = new ToolGroup(toolState, group);
    connect(m_toolGroup, &ToolGroup::toolChosen, this, &WorkspaceToolbar::toolChosen);
    row->addWidget(m_toolGroup);
    row->addWidget(new ToolbarSectionDivider(group));
    m_markupGroup = new MarkupGroup(toolState, group);
    connect(m_markupGroup, &MarkupGroup::markupToggled, this, &WorkspaceToolbar::markupToggled);
    row->addWidget(m_markupGroup);
    return group;
}

QWidget* WorkspaceToolbar::makeTrailingGroup(annotations::ToolState& toolState,
                                             pdfview::PDFViewCoordinator& coordinator) {
    auto* group = new QWidget(this);
    QHBoxLayout* row = groupRow(group);
    row->addWidget(new ToolbarSectionDivider(group));
    row->addWidget(new ZoomGroup(coordinator, group));
    row->addWidget(new ToolbarSectionDivider(group));
    m_pageGroup = new PageGroup(coordinator, group);
    row->addWidget(m_pageGroup);
    row->addWidget(new ToolbarSectionDivider(group));

    m_editText = labeledButton(
        QStringLiteral("character.cursor.ibeam"), QStringLiteral("Edit Text"), Color::brandBlue(),
        ToolbarHelp::editText(), [this] { emit textEditingToggled(); }, group);
    m_editText->setSelected(toolState.isTextEditingModeEnabled());
    connect(&toolState, &annotations::ToolState::textEditingModeEnabledChanged, m_editText,
            &ToolbarLabeledButton::setSelected);
    row->addWidget(m_editText);
    row->addWidget(new ToolbarSectionDivider(group));

    m_ocr = labeledButton(
        QStringLiteral("text.viewfinder"), QStringLiteral("OCR Page"), Color::brandBlue(),
        ToolbarHelp::ocrPage(), [this] { emit ocrPageRequested(); }, group);
    row->addWidget(m_ocr);
    row->addWidget(new ToolbarSectionDivider(group));

    const auto toggleAssistant = [this] { emit assistantToggled(); };
    m_ask = labeledButton(QStringLiteral("sparkles"), QStringLiteral("Ask"), Color::brandBlue(),
                          ToolbarHelp::ask(), toggleAssistant, group);
    bindShortcut(m_ask, QKeySequence(Qt::CTRL | Qt::Key_K), toggleAssistant);
    row->addWidget(m_ask);
    m_settings = pillButton(
        QStringLiteral("gearshape"), Color::inkSlate(), ToolbarHelp::settings(),
        [this] { emit settingsRequested(); }, group);
    row->addWidget(m_settings);
    return group;
}

void WorkspaceToolbar::setSidebarShown(bool shown) {
    m_sidebar->setSelected(shown);
}

void WorkspaceToolbar::setAssistantShown(bool shown) {
    m_ask->setSelected(shown);
}

int WorkspaceToolbar::rowCount() const {
    return m_layout->rowCount(width());
}

void WorkspaceToolbar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Color::appTint());
    painter.fillRect(QRect(0, height() - 1, width(), 1), Color::primary(this, 0.12));
}

} // namespace zepla::ui
