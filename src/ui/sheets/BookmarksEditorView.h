// The "Bookmarks" sheet: the document's bookmarks as one list of titles with their pages; renaming (Return),
// deleting and adding for the current page each write the whole list back as the outline.
#pragma once

#include "document/bookmarks/BookmarkOperations.h"

#include <QDialog>
#include <QPointer>

#include <set>

class QLabel;
class QListWidget;
class QPushButton;

namespace zepla::pdfview {
class PDFViewCoordinator;
}

namespace zepla::ui {

class BookmarksEditorView : public QDialog {
    Q_OBJECT

public:
    BookmarksEditorView(document::PDFEditorDocument& document, pdfview::PDFViewCoordinator* coordinator,
                        platform::UndoManager* undoManager, QWidget* parent = nullptr);

    const std::vector<document::BookmarkOperations::Bookmark>& bookmarks() const { return m_bookmarks; }
    QListWidget* list() const { return m_list; }
    QLabel* emptyLabel() const { return m_empty; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* doneButton() const { return m_done; }

    // Appends a bookmark "Page N" for the page shown (the first page when none is known) and writes.
    void addBookmark();
    // Removes those rows and writes.
    void deleteRows(const std::set<int>& rows);
    // Goes to the row's page in the window's PDF view; writes nothing.
    void tapRow(int row);
    // Writes the whole list as the outline.
    void commit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuildRows();
    // The row's context menu, with Delete.
    void showRowMenu(int row, const QPoint& globalPosition);

    document::PDFEditorDocument& m_document;
    QPointer<pdfview::PDFViewCoordinator> m_coordinator;
    platform::UndoManager* m_undoManager;
    std::vector<document::BookmarkOperations::Bookmark> m_bookmarks;
    QListWidget* m_list;
    QLabel* m_empty;
    QPushButton* m_add;
    QPushButton* m_done;
};

} // namespace zepla::ui
