// The page column of a document window: one thumbnail per page, the PDF view's page highlighted and kept in
// view, selection by clicks, extract and delete from a selection bar or a context menu, reordering by drag
// and drop, and the host of the alert and the document sheets that its page tools ask for.
#pragma once

#include "document/pages/PageOperations.h"
#include "ui/sidebar/PageAlert.h"
#include "ui/sidebar/SidebarSheet.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QDialog;
class QMenu;
class QMessageBox;

namespace zepla::document {
class PDFEditorDocument;
}
namespace zepla::pdfview {
class PDFViewCoordinator;
}
namespace zepla::platform {
class UndoManager;
}

namespace zepla::ui {

class SelectionBar;
class ThumbnailListView;

class ThumbnailSidebar : public QWidget {
    Q_OBJECT

public:
    // Builds the sheet of a case, parented to the sidebar; null when there is none to show.
    using SheetFactory = std::function<QDialog*(SidebarSheet sheet, QWidget* parent)>;
    // Asks for a PDF file to write, proposing a name; an empty string when the user cancels.
    using SavePanel = std::function<QString(const QString& suggestedName)>;

    static constexpr int minimumWidth = 180;
    static constexpr int idealWidth = 240;
    static constexpr int maximumWidth = 320;

    // The document, the coordinator and the undo manager belong to the window and outlive the sidebar.
    ThumbnailSidebar(document::PDFEditorDocument* document, pdfview::PDFViewCoordinator* coordinator,
                     platform::UndoManager* undoManager, QWidget* parent = nullptr);
    ~ThumbnailSidebar() override;

    QSize sizeHint() const override;

    const document::IndexSet& selection() const { return m_selection; }
    std::optional<int> lastClickedIndex() const { return m_lastClickedIndex; }
    const std::optional<PageAlert>& pendingAlert() const { return m_pendingAlert; }
    std::optional<SidebarSheet> activeSheet() const { return m_activeSheet; }

    // A click on the thumbnail of page `index`, with the modifier keys held.
    void handleTap(int index, Qt::KeyboardModifiers modifiers);
    // The context menu of a thumbnail, owned by the caller: extract and delete, acting on the whole
    // selection when it holds the page, else on the page alone.
    QMenu* contextMenu(int index);
    // Saves copies of those pages as a new PDF file where the user chooses.
    void extractPages(const document::IndexSet& indices);
    // Deletes those pages, undoably, and empties the selection.
    void deletePages(const document::IndexSet& indices);
    // Text dropped on the thumbnail at `target`: a page index moves that page there on the next turn of the
    // event loop. Returns whether the drop is taken.
    bool handleDrop(const QString& text, int target);

    // Shows an alert with one OK button; dismissing it empties the pending alert.
    void showAlert(const PageAlert& alert);
    // Presents the sheet of a case, window-modal; dismissing it empties the active sheet.
    void presentSheet(SidebarSheet sheet);
    void setSheetFactory(SheetFactory factory);

    // The file name without its extension, or "Document" for a window without a file.
    QString baseName() const;
    QString runSavePanel(const QString& suggestedName);
    void setSavePanel(SavePanel panel);

    // The header's "Page tools" menu, for the page tools to fill.
    QMenu* pageToolsMenu() const { return m_pageToolsMenu; }
    ThumbnailListView* listView() const { return m_list; }

private:
    QWidget* makeHeader();
    void setSelection(const document::IndexSet& selection);
    void goToPage(int index);
    void layoutPdfView();
    void writeExtractedPages(const document::DerivedDocument& extracted, const QString& path);

    document::PDFEditorDocument* m_document;
    QPointer<pdfview::PDFViewCoordinator> m_coordinator;
    QPointer<platform::UndoManager> m_undoManager;
    document::IndexSet m_selection;
    std::optional<int> m_lastClickedIndex;
    std::optional<PageAlert> m_pendingAlert;
    std::optional<SidebarSheet> m_activeSheet;
    SheetFactory m_sheetFactory;
    SavePanel m_savePanel;
    QPointer<QMessageBox> m_alertBox;
    QMenu* m_pageToolsMenu = nullptr;
    SelectionBar* m_selectionBar;
    ThumbnailListView* m_list;
};

} // namespace zepla::ui
