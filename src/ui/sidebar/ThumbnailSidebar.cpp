#include "ui/sidebar/ThumbnailSidebar.h"

#include "core/UndoManager.h"
#include "document/PDFEditorDocument.h"
#include "document/pages/DerivedFile.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "pdfview/view/PDFView.h"
#include "ui/sidebar/PageDropPayload.h"
#include "ui/sidebar/SelectionBar.h"
#include "ui/sidebar/SidebarSelection.h"
#include "ui/sidebar/ThumbnailListView.h"
#include "ui/theme/Colors.h"
#include "ui/theme/DialogSizing.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemePainting.h"

#include <QDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

namespace zepla::ui {

namespace {

QString extractTitle(int count) {
    return count == 1 ? QStringLiteral("Extract Page…") : QStringLiteral("Extract %1 Pages…").arg(count);
}

QString deleteTitle(int count) {
    return count == 1 ? QStringLiteral("Delete Page") : QStringLiteral("Delete %1 Pages").arg(count);
}

} // namespace

ThumbnailSidebar::ThumbnailSidebar(document::PDFEditorDocument* document,
                                   pdfview::PDFViewCoordinator* coordinator,
                                   platform::UndoManager* undoManager, QWidget* parent)
    : QWidget(parent), m_document(document), m_coordinator(coordinator), m_undoManager(undoManager),
      m_selectionBar(new SelectionBar(this)), m_list(new ThumbnailListView(document, this)) {
    setMinimumWidth(minimumWidth);
    setMaximumWidth(maximumWidth);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    Theme::liquidGlassBluePanel(this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeHeader());
    column->addWidget(m_selectionBar);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setStyleSheet(QStringLiteral("color: %1").arg(Color::primary(this, 0.12).name(QColor::HexArgb)));
    column->addWidget(divider);
    column->addWidget(m_list, 1);
    m_selectionBar->hide();

    connect(m_selectionBar, &SelectionBar::extractRequested, this, [this] { extractPages(m_selection); });
    connect(m_selectionBar, &SelectionBar::deleteRequested, this, [this] { deletePages(m_selection); });
    connect(m_list, &ThumbnailListView::clicked, this, &ThumbnailSidebar::handleTap);
    connect(m_list, &ThumbnailListView::textDropped, this, &ThumbnailSidebar::handleDrop);
    connect(m_list, &ThumbnailListView::contextMenuRequested, this, [this](int row, const QPoint& at) {
        QMenu* menu = contextMenu(row);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(at);
    });
    connect(m_document, &document::PDFEditorDocument::changed, m_list, &ThumbnailListView::reload);
    if (m_coordinator) {
        // Nothing scrolls when the sidebar first shows; every later page change centres the new page.
        m_list->setCurrentPage(m_coordinator->currentPageIndex());
        connect(m_coordinator, &pdfview::PDFViewCoordinator::currentPageIndexChanged, this,
                [this](std::optional<int> index) {
                    m_list->setCurrentPage(index);
                    if (index)
                        m_list->scrollToCentre(*index, true);
                });
    }
}

ThumbnailSidebar::~ThumbnailSidebar() = default;

QSize ThumbnailSidebar::sizeHint() const {
    return QSize(idealWidth, QWidget::sizeHint().height());
}

QWidget* ThumbnailSidebar::makeHeader() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(6);
    auto* symbol = new QLabel(header);
    symbol->setPixmap(Symbols::pixmap(QStringLiteral("square.grid.2x2"), 16, Color::brandBlue(), false,
                                      devicePixelRatioF()));
    auto* title = new QLabel(QStringLiteral("Pages"), header);
    QFont titleFont;
    titleFont.setPixelSize(13);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    auto* tools = new QToolButton(header);
    tools->setIcon(Symbols::icon(QStringLiteral("ellipsis.circle"), Color::secondary(this)));
    tools->setAutoRaise(true);
    tools->setToolTip(QStringLiteral("Page tools"));
    tools->setPopupMode(QToolButton::InstantPopup);
    tools->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    m_pageToolsMenu = new QMenu(tools);
    tools->setMenu(m_pageToolsMenu);
    fillPageToolsMenu();
    row->addWidget(symbol);
    row->addWidget(title);
    row->addStretch(1);
    row->addWidget(tools);
    return header;
}

void ThumbnailSidebar::setSelection(const document::IndexSet& selection) {
    m_selection = selection;
    m_selectionBar->setCount(int(selection.size()));
    m_selectionBar->setVisible(!selection.empty());
    m_list->setSelection(selection);
}

void ThumbnailSidebar::handleTap(int index, Qt::KeyboardModifiers modifiers) {
    const SidebarSelection::Click click =
        SidebarSelection::apply(m_selection, m_lastClickedIndex, index, modifiers);
    setSelection(click.selection);
    if (click.goesToPage)
        goToPage(index);
    m_lastClickedIndex = index;
}

QMenu* ThumbnailSidebar::contextMenu(int index) {
    const document::IndexSet targets = m_selection.count(index) ? m_selection : document::IndexSet{index};
    const int count = int(targets.size());
    auto* menu = new QMenu(this);
    menu->addAction(extractTitle(count), this, [this, targets] { extractPages(targets); });
    menu->addAction(deleteTitle(count), this, [this, targets] { deletePages(targets); });
    return menu;
}

void ThumbnailSidebar::extractPages(const document::IndexSet& indices) {
    const document::DerivedDocument extracted =
        document::PageOperations::extractPages(indices, *m_document->pdfDocument());
    if (extracted.document->pageCount() == 0 && extracted.failedPages > 0) {
        showAlert({QStringLiteral("Couldn't Extract Pages"),
                   QStringLiteral("The chosen pages couldn't be read from this document.")});
        return;
    }
    const QString path = runSavePanel(QStringLiteral("Extracted Pages.pdf"));
    if (!path.isEmpty())
        writeExtractedPages(extracted, path);
}

void ThumbnailSidebar::writeExtractedPages(const document::DerivedDocument& extracted, const QString& path) {
    if (!document::writeDerivedFile(*extracted.document, path)) {
        showAlert({QStringLiteral("Couldn't Save"),
                   QStringLiteral("The extracted pages couldn't be written to that location.")});
        return;
    }
    // A file that lacks some of the chosen pages is never passed off as the whole extraction.
    if (extracted.failedPages > 0) {
        const int copied = extracted.document->pageCount();
        showAlert({QStringLiteral("Some Pages Couldn't Be Extracted"),
                   QStringLiteral("%1 holds %2 of the %3 chosen pages; the others couldn't be read from this "
                                  "document.")
                       .arg(QFileInfo(path).fileName())
                       .arg(copied)
                       .arg(copied + extracted.failedPages)});
    }
}

void ThumbnailSidebar::deletePages(const document::IndexSet& indices) {
    document::PageOperations::deletePages(*m_document, indices, m_undoManager);
    layoutPdfView();
    setSelection({});
}

bool ThumbnailSidebar::handleDrop(const QString& text, int target) {
    const std::optional<qint64> source = PageDropPayload::read(text);
    if (!source)
        return true; // taken, and nothing moves
    // Out of the range of page indices altogether means no page, like any index past the end.
    const int from = *source >= 0 && *source <= std::numeric_limits<int>::max() ? int(*source) : -1;
    QMetaObject::invokeMethod(
        this,
        [this, from, target] {
            document::PageOperations::movePage(*m_document, from, target, m_undoManager);
            layoutPdfView();
        },
        Qt::QueuedConnection);
    return true;
}

void ThumbnailSidebar::showAlert(const PageAlert& alert) {
    if (m_alertBox)
        m_alertBox->close();
    m_pendingAlert = alert;
    auto* box = new QMessageBox(QMessageBox::NoIcon, alert.title, alert.title, QMessageBox::Ok, this);
    box->setInformativeText(alert.message);
    sizeAlertToText(*box);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this, box] {
        if (m_alertBox == box)
            m_pendingAlert.reset();
    });
    m_alertBox = box;
    box->open();
}

void ThumbnailSidebar::presentSheet(SidebarSheet sheet) {
    QDialog* dialog = m_sheetFactory ? m_sheetFactory(sheet, this) : nullptr;
    if (!dialog)
        return;
    m_activeSheet = sheet;
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this] { m_activeSheet.reset(); });
    dialog->open();
}

void ThumbnailSidebar::setSheetFactory(SheetFactory factory) {
    m_sheetFactory = std::move(factory);
}

QString ThumbnailSidebar::baseName() const {
    const QString path = m_coordinator ? m_coordinator->filePath() : QString();
    return path.isEmpty() ? QStringLiteral("Document") : QFileInfo(path).completeBaseName();
}

void ThumbnailSidebar::goToPage(int index) {
    if (pdfview::PDFView* view = m_coordinator ? m_coordinator->pdfView() : nullptr)
        view->goToPage(index);
}

void ThumbnailSidebar::layoutPdfView() {
    if (pdfview::PDFView* view = m_coordinator ? m_coordinator->pdfView() : nullptr)
        view->layoutDocumentView();
}

} // namespace zepla::ui
