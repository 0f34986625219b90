#include "ui/toolbar/PageGroup.h"

#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "ui/theme/Colors.h"
#include "ui/theme/ToolbarPillButton.h"
#include "ui/toolbar/ToolbarButtons.h"
#include "ui/toolbar/ToolbarHelp.h"

#include <QHBoxLayout>
#include <QLabel>

namespace zepla::ui {

PageGroup::PageGroup(pdfview::PDFViewCoordinator& coordinator, QWidget* parent)
    : QWidget(parent), m_indicator(new QLabel(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(5);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(0);
    const auto previous = [&coordinator] { coordinator.goToPreviousPage(); };
    const auto next = [&coordinator] { coordinator.goToNextPage(); };
    ToolbarPillButton* up = pillButton(QStringLiteral("chevron.up"), Color::inkSlate(),
                                       ToolbarHelp::previousPage(), previous, this);
    ToolbarPillButton* down =
        pillButton(QStringLiteral("chevron.down"), Color::inkSlate(), ToolbarHelp::nextPage(), next, this);
    bindShortcut(up, QKeySequence(Qt::CTRL | Qt::Key_Up), previous);
    bindShortcut(down, QKeySequence(Qt::CTRL | Qt::Key_Down), next);
    buttons->addWidget(up);
    buttons->addWidget(down);
    row->addLayout(buttons);

    QFont font = m_indicator->font();
    font.setPixelSize(12);
    m_indicator->setFont(font);
    QPalette palette = m_indicator->palette();
    palette.setColor(QPalette::WindowText, Color::secondary(this));
    m_indicator->setPalette(palette);
    // Room for four-digit page numbers is kept whether the indicator shows or not, so turning pages or
    // opening a long document never moves the toolbar's controls.
    QLabel widest(QStringLiteral("0000 of 0000"));
    widest.setFont(font);
    m_indicator->setMinimumWidth(widest.sizeHint().width());
    QSizePolicy policy = m_indicator->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    m_indicator->setSizePolicy(policy);
    row->addWidget(m_indicator);
    const auto show = [this](const QString& text) {
        m_indicator->setText(text);
        m_indicator->setVisible(!text.isEmpty());
    };
    connect(&coordinator, &pdfview::PDFViewCoordinator::pageIndicatorChanged, this, show);
    show(coordinator.pageIndicator());
}

} // namespace zepla::ui
