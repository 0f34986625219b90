// What the annotating view's tests share: a shown view over a fixture document with its own tool state and
// undo manager, points of the first page, drags, and the page's annotations.
#pragma once

#include "PdfFixtures.h"
#include "TestDocuments.h"
#include "pdfview/annotating/AnnotatingPDFView.h"

#include <QTest>

#include <memory>

class AnnotatingViewHarness : public QObject {
protected:
    std::unique_ptr<zepla::pdfview::AnnotatingPDFView> m_view;
    std::unique_ptr<zepla::annotations::ToolState> m_tools;
    std::unique_ptr<zepla::platform::UndoManager> m_undo;
    std::shared_ptr<zepla::pdf::Document> m_doc;
    int m_redactions = 0;

    void showDocument(const QByteArray& bytes, QSize size = QSize(700, 900)) {
        m_doc = testdocs::open(bytes);
        m_view = std::make_unique<zepla::pdfview::AnnotatingPDFView>();
        m_tools = std::make_unique<zepla::annotations::ToolState>();
        m_undo = std::make_unique<zepla::platform::UndoManager>();
        m_view->setToolState(m_tools.get());
        m_view->setUndoManager(m_undo.get());
        m_redactions = 0;
        m_view->onRedactionDrawn = [this] { ++m_redactions; };
        m_view->resize(size);
        m_view->setDocument(m_doc);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    QWidget* viewport() const { return m_view->viewport(); }

    // A point of page 0 given as fractions of its shown rectangle.
    QPoint at(qreal fx, qreal fy) const {
        const QRectF page = m_view->pageRectInView(0);
        return (page.topLeft() + QPointF(fx * page.width(), fy * page.height())).toPoint();
    }

    QPointF pagePoint(const QPoint& viewPoint) const { return m_view->convertToPage(viewPoint, 0); }
    QPoint viewPoint(const QPointF& pagePoint, int page = 0) const {
        return m_view->convertFromPage(pagePoint, page).toPoint();
    }

    void drag(const QPoint& from, const QPoint& to, int steps = 4) {
        QTest::mousePress(viewport(), Qt::LeftButton, {}, from);
        for (int i = 1; i <= steps; ++i)
            QTest::mouseMove(viewport(), from + (to - from) * i / steps);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, to);
        QCoreApplication::processEvents(); // closes the undo step of this gesture
    }

    std::vector<zepla::pdf::AnnotationInfo> annotations(int page = 0) const {
        return m_doc->annotations(page).value();
    }
};
