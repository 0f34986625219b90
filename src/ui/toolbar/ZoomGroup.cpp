#include "ui/toolbar/ZoomGroup.h"

#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "ui/theme/Colors.h"
#include "ui/theme/ToolbarPillButton.h"
#include "ui/toolbar/ToolbarButtons.h"
#include "ui/toolbar/ToolbarHelp.h"

#include <QHBoxLayout>

namespace zepla::ui {

ZoomGroup::ZoomGroup(pdfview::PDFViewCoordinator& coordinator, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    struct Item {
        const char* symbol;
        QString help;
        void (pdfview::PDFViewCoordinator::*action)();
        QList<QKeySequence> keys;
    };
    // Ctrl+= is where Ctrl++ lies on keyboards that need Shift for "+".
    const Item items[] = {
        {"minus.magnifyingglass",
         ToolbarHelp::zoomOut(),
         &pdfview::PDFViewCoordinator::zoomOut,
         {QKeySequence(Qt::CTRL | Qt::Key_Minus)}},
        {"arrow.up.left.and.down.right.magnifyingglass",
         ToolbarHelp::zoomToFit(),
         &pdfview::PDFViewCoordinator::zoomToFit,
         {QKeySequence(Qt::CTRL | Qt::Key_0)}},
        {"plus.magnifyingglass",
         ToolbarHelp::zoomIn(),
         &pdfview::PDFViewCoordinator::zoomIn,
         {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}},
    };
    for (const Item& item : items) {
        const auto act = [&coordinator, action = item.action] { (coordinator.*action)(); };
        ToolbarPillButton* button =
            pillButton(QLatin1String(item.symbol), Color::inkSlate(), item.help, act, this);
        for (const QKeySequence& keys : item.keys)
            bindShortcut(button, keys, act);
        row->addWidget(button);
    }
}

} // namespace zepla::ui
