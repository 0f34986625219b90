#include "ui/sheets/BookmarksEditorView.h"

#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "pdfview/view/PDFView.h"
#include "ui/sheets/SheetParts.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace zepla::ui {

using document::BookmarkOperations::Bookmark;

BookmarksEditorView::BookmarksEditorView(document::PDFEditorDocument& document,
                                         pdfview::PDFViewCoordinator* coordinator,
                                         platform::UndoManager* undoManager, QWidget* parent)
    : QDialog(parent), m_document(document), m_coordinator(coordinator), m_undoManager(undoManager),
      m_bookmarks(document::BookmarkOperations::read(*document.pdfDocument())) {
    setWindowTitle(QStringLiteral("Bookmarks"));
    setFixedWidth(340);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(12);

    auto* header = new QHBoxLayout;
    header->addWidget(SheetParts::heading(QStringLiteral("Bookmarks"), this));
    header->addStretch(1);
    m_done = new QPushButton(QStringLiteral("Done"), this);
    m_done->setAutoDefault(false);
    header->addWidget(m_done);
    layout->addLayout(header);

    m_empty = SheetParts::secondaryText(QStringLiteral("No bookmarks yet."), 12.5, this);
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setContentsMargins(0, 20, 0, 20);
    layout->addWidget(m_empty);
    m_list = new QListWidget(this);
    m_list->setFixedHeight(220);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->installEventFilter(this);
    layout->addWidget(m_list);

    m_add = new QPushButton(QStringLiteral("Add Bookmark for Current Page"), this);
    m_add->setAutoDefault(false);
    layout->addWidget(m_add, 0, Qt::AlignLeft);

    connect(m_done, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_add, &QPushButton::clicked, this, &BookmarksEditorView::addBookmark);
    connect(m_list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { tapRow(m_list->row(item)); });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        showRowMenu(m_list->indexAt(at).row(), m_list->viewport()->mapToGlobal(at));
    });
    rebuildRows();
}

void BookmarksEditorView::rebuildRows() {
    m_list->clear();
    for (int row = 0; row < int(m_bookmarks.size()); ++row) {
        auto* item = new QListWidgetItem(m_list);
        auto* line = new QWidget(m_list);
        auto* rowLayout = new QHBoxLayout(line);
        rowLayout->setContentsMargins(4, 2, 4, 2);
        auto* title = new QLineEdit(m_bookmarks[size_t(row)].title, line);
        title->setPlaceholderText(QStringLiteral("Title"));
        title->setFrame(false);
        // The row's menu, not the text field's, wherever the row is right-clicked.
        title->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(title, &QWidget::customContextMenuRequested, this,
                [this, row, title](const QPoint& at) { showRowMenu(row, title->mapToGlobal(at)); });
        QLabel* page = SheetParts::secondaryText(
            QStringLiteral("p. %1").arg(m_bookmarks[size_t(row)].pageIndex + 1), 11, line);
        rowLayout->addWidget(title, 1);
        rowLayout->addWidget(page);
        line->installEventFilter(this);
        page->installEventFilter(this);
        line->setProperty("row", row);
        page->setProperty("row", row);
        connect(title, &QLineEdit::textEdited, this,
                [this, row](const QString& text) { m_bookmarks[size_t(row)].title = text; });
        connect(title, &QLineEdit::returnPressed, this, &BookmarksEditorView::commit);
        item->setSizeHint(line->sizeHint());
        m_list->setItemWidget(item, line);
    }
    m_empty->setVisible(m_bookmarks.empty());
    m_list->setVisible(!m_bookmarks.empty());
}

bool BookmarksEditorView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
            std::set<int> rows;
            for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
                rows.insert(index.row());
            if (!rows.empty())
                deleteRows(rows);
            return true;
        }
    }
    // A click on a row selects it, so that the Delete key removes it, and goes to its page.
    if (event->type() == QEvent::MouseButtonRelease && watched->property("row").isValid()) {
        const int row = watched->property("row").toInt();
        m_list->setCurrentRow(row);
        m_list->setFocus();
        tapRow(row);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void BookmarksEditorView::showRowMenu(int row, const QPoint& globalPosition) {
    if (row < 0 || row >= m_list->count())
        return;
    m_list->setCurrentRow(row);
    QMenu menu(this);
    menu.addAction(QStringLiteral("Delete"), this, [this, row] { deleteRows({row}); });
    menu.exec(globalPosition);
}

void BookmarksEditorView::addBookmark() {
    const int page = m_coordinator ? m_coordinator->currentPageIndex().value_or(0) : 0;
    m_bookmarks.push_back({QUuid::createUuid(), QStringLiteral("Page %1").arg(page + 1), page});
    rebuildRows();
    commit();
}

void BookmarksEditorView::deleteRows(const std::set<int>& rows) {
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        if (*row >= 0 && *row < int(m_bookmarks.size()))
            m_bookmarks.erase(m_bookmarks.begin() + *row);
    rebuildRows();
    commit();
}

void BookmarksEditorView::tapRow(int row) {
    if (row < 0 || row >= int(m_bookmarks.size()) || !m_coordinator)
        return;
    pdfview::PDFView* view = m_coordinator->pdfView();
    const int page = m_bookmarks[size_t(row)].pageIndex;
    if (view && page < m_document.pdfDocument()->pageCount())
        view->goToPage(page);
}

void BookmarksEditorView::commit() {
    document::BookmarkOperations::writeBookmarks(m_bookmarks, m_document, m_undoManager);
}

} // namespace zepla::ui
