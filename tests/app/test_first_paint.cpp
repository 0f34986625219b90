// A launch with a PDF paints its first page once: the page is drawn in full at its final place and scale,
// and is never blanked, moved or rescaled afterwards while the window settles (sidebar, background reading
// of the page sizes, thumbnails).
#include "LandingTestSupport.h"
#include "ShellFixture.h"
#include "app/DocumentWindow.h"
#include "pdfview/annotating/AnnotatingPDFView.h"
#include "ui/window/ContentView.h"
#include "ui/workspace/PDFEditorWorkspaceView.h"

#include <QTest>

using namespace zepla;

namespace {

struct PagePaint {
    bool complete;
    double scale;
    QRectF rect;
};

} // namespace

class TestFirstPaint : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { usePrivatePreferences(); }

    void firstPageIsPaintedOnceAtLaunch_data() {
        QTest::addColumn<int>("pages");
        QTest::newRow("small") << 3;
        QTest::newRow("long") << 1500;
    }

    void firstPageIsPaintedOnceAtLaunch() {
        QFETCH(int, pages);
        QList<PagePaint> paints;
        QPointer<pdfview::PDFView> view;
        QPointer<ui::PDFEditorWorkspaceView> workspace;
        ShellFixture shell;
        const QString path = shell.write("manual.pdf", fixtures::makeTextPdf(pages, "WWWWWWWWWW"));
        connect(&shell.controller(), &app::DocumentController::documentOpened, this,
                [&](app::DocumentWindow* window) {
                    auto* content = qobject_cast<ui::ContentView*>(window->centralWidget());
                    QVERIFY(content && content->workspace());
                    workspace = content->workspace();
                    view = workspace->pdfView();
                    connect(view, &pdfview::PDFView::pageDrawn, this, [&](int page, bool complete) {
                        if (page == 0)
                            paints.append({complete, view->scaleFactor(), view->pageRectInView(0)});
                    });
                });
        shell.app->launch({path});
        QTRY_VERIFY(view && !paints.isEmpty() && paints.last().complete);
        // Let everything that follows a launch happen: the sidebar's thumbnails and the page sizes read in
        // the background.
        QVERIFY(QTest::qWaitFor([&] { return view->isRenderingIdle(); }, testsupport::hangGuardMs));
        QWidget* sidebar = workspace->sidebar();
        QVERIFY(sidebar && sidebar->isVisible());
        view->viewport()->repaint();

        qsizetype first = 0;
        while (!paints[first].complete)
            ++first;
        for (qsizetype i = first; i < paints.size(); ++i) {
            QVERIFY2(paints[i].complete,
                     qPrintable(QStringLiteral("paint %1 of %2 blank").arg(i).arg(paints.size())));
            QCOMPARE(paints[i].scale, paints[first].scale);
            QCOMPARE(paints[i].rect, paints[first].rect);
        }
    }
};

QTEST_MAIN(TestFirstPaint)
#include "test_first_paint.moc"
