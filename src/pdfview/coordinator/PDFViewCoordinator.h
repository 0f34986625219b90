// The link a document window shares between its PDF view, its sidebar and the assistant's tools: the view
// (held weakly), the page shown, the "N of M" indicator, and the navigation and zoom the toolbar uses.
#pragma once

#include "annotations/AnnotationTool.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

namespace zepla::pdfview {

class PDFView;

class PDFViewCoordinator : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString pageIndicator READ pageIndicator NOTIFY pageIndicatorChanged)

public:
    // What one zoom step adds or takes away from the view's scale factor.
    static constexpr double zoomStep = 0.15;

    explicit PDFViewCoordinator(QObject* parent = nullptr);
    ~PDFViewCoordinator() override;

    // The page shown counted from 1, " of ", the page count ("3 of 12"); empty without a view, a document
    // or a current page.
    QString pageIndicator() const { return m_pageIndicator; }
    // Zero-based index of the page shown; nothing in the same cases.
    std::optional<int> currentPageIndex() const { return m_currentPageIndex; }

    // The key of the remembered page; empty for a document without a file, which never reads or writes it.
    QString filePath() const { return m_filePath; }
    void setFilePath(const QString& path) { m_filePath = path; }

    // The window's view, or null once it is gone. Assigning it starts following its page changes.
    PDFView* pdfView() const;
    void setPdfView(PDFView* view);

    // Replaces the page-change observation with one of the current view, and refreshes the indicator.
    void observePageChanges();
    // Recomputes the indicator and the current page from the view, and remembers the page for the file.
    void updatePageIndicator();

    // Without a view these do nothing.
    void goToNextPage();
    void goToPreviousPage();
    // One step up or down, stopping exactly at the view's maximum or minimum scale factor.
    void zoomIn();
    void zoomOut();
    void zoomToFit();
    // Marks up the view's selected text, one annotation per line; false without a view or a selection.
    bool applyMarkup(annotations::MarkupAction action);

signals:
    void pageIndicatorChanged(const QString& text);
    void currentPageIndexChanged(std::optional<int> index);
    // A view was attached or detached.
    void pdfViewChanged();

private:
    QString m_pageIndicator;
    std::optional<int> m_currentPageIndex;
    QString m_filePath;
    QPointer<PDFView> m_pdfView;
    QMetaObject::Connection m_pageChangeObserver;
};

} // namespace zepla::pdfview
