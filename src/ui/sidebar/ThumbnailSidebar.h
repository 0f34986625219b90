// The page column of a document window: one thumbnail per page, the PDF view's page highlighted and kept in
// view, selection by clicks, extract and delete from a selection bar or a context menu, reordering by drag
// and drop, and the host of the alert and the document sheets that its page tools ask for.
#pragma once

#include "document/pages/PageOperations.h"
#include "document/passwords/PDFUnlocker.h"
#include "ui/sidebar/PageAlert.h"
#include "ui/sidebar/SidebarSheet.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QAction;
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
    // The panels the page tools ask with: one PDF to read, several, and a folder. Each gives nothing
    // (an empty string or list) when the user cancels.
    struct OpenPanels {
        std::function<QString()> open;
        std::function<QStringList()> openMany;
        std::function<QString()> folder;
    };

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

    QString runOpenPanel();
    QStringList runMultiOpenPanel();
    QString runFolderPanel();
    void setOpenPanels(OpenPanels panels);
    // How the page tools ask for the password of a locked file they read.
    void setPasswordPrompt(document::PDFUnlocker::PasswordPrompt prompt);

    // The page tools of the header's menu (ThumbnailSidebarPageTools.cpp).
    // Inserts a PDF's pages after the first selected page, or at the end, undoably.
    void mergeDocument();
    // Writes several PDFs, in the order chosen, into one new file.
    void mergeMultipleFiles();
    // Writes the pages before and from the split page into "<base> (1).pdf" and "<base> (2).pdf".
    void splitDocument();
    // Writes a copy without password protection.
    void removePassword();
    // While a recognition of the whole document runs, its menu item is disabled.
    void setDocumentOCRRunning(bool running);

    // The header's "Page tools" menu.
    QMenu* pageToolsMenu() const { return m_pageToolsMenu; }
    ThumbnailListView* listView() const { return m_list; }

signals:
    // "Recognize Text (OCR)…": the window runs the recognition of every page that lacks a text layer.
    void ocrDocumentRequested();

private:
    QWidget* makeHeader();
    void fillPageToolsMenu();
    // Opens a PDF the user chose and unlocks it; nothing (and the alert said) when it cannot be read, nothing
    // silently when the password prompt is cancelled.
    std::shared_ptr<pdf::Document> openChosenPdf(const QString& path);
    // Whether the files may be written: true when none exists or the user agrees to replace them.
    bool mayReplace(const QStringList& paths);
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
    OpenPanels m_openPanels;
    document::PDFUnlocker::PasswordPrompt m_passwordPrompt;
    QAction* m_recognizeAction = nullptr;
    QAction* m_removePasswordAction = nullptr;
    QPointer<QMessageBox> m_alertBox;
    QMenu* m_pageToolsMenu = nullptr;
    SelectionBar* m_selectionBar;
    ThumbnailListView* m_list;
};

} // namespace zepla::ui
