#include "ui/theme/DialogSizing.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTreeView>

#include <algorithm>

namespace zepla::ui {

namespace {

constexpr int readingWidth = 420;
// Names, sizes, kinds and dates side by side, with the places list beside them.
constexpr QSize fileDialogSize(900, 560);
// What a title bar needs beside the title's text: the window's buttons, its icon and margins.
constexpr int titleBarAllowance = 160;

int widestLine(const QString& text, const QFontMetrics& metrics) {
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

} // namespace

void sizeAlertToText(QMessageBox& box) {
    // The box's own labels: the message, and the informative text below it when there is one.
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
    if (!label || label->text().isEmpty())
        label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!label)
        return;
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const int title = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + titleBarAllowance;
    const int line = widestLine(label->text(), label->fontMetrics());
    // Qt wraps the main message itself when it is too long for a line, but only where no minimum width says
    // that it fits: a longer one is left to it, or it would be cut at the box's edge.
    if (!label->wordWrap() && line > readingWidth && title <= readingWidth)
        return;
    label->setMinimumWidth(std::max(std::min(line, readingWidth), title));
}

void sizeFileDialogToColumns(QFileDialog& dialog) {
    QSize size = fileDialogSize;
    if (const QScreen* screen = dialog.screen())
        size = size.boundedTo(screen->availableSize() * 9 / 10);
    dialog.resize(size);
    // Qt's own dialog (where the desktop offers none) lists the files in a tree view whose size, kind and
    // date columns keep fixed widths that cut their text: they follow their contents, the names take the
    // rest.
    if (auto* files = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = files->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

} // namespace zepla::ui
