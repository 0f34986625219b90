// The PDF view under the offscreen platform: layout and the current page, zoom limits, conversions,
// selecting and copying text with the mouse, links, form filling and rendering.
#include "PdfFixtures.h"
#include "pdfview/view/PDFView.h"
#include "pdfview/view/TileCache.h"

#include "core/MemoryPressureMonitor.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLineEdit>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace zepla;
using pdfview::PDFView;

namespace {

// Where the fixtures' text line "Page N ..." sits: baseline at y 700 from x 72, Helvetica 12.
constexpr double textY = 704;
constexpr double textLeft = 72;

std::shared_ptr<pdf::Document> open(const QByteArray& bytes) {
    return pdf::Document::open(bytes).value();
}

fixtures::DocSpec pages(const QStringList& texts) {
    fixtures::DocSpec spec;
    for (const QString& t : texts)
        spec.pages.append(fixtures::PageSpec{t});
    return spec;
}

// A shown view at a fixed scale, so page positions are known.
struct ShownView {
    explicit ShownView(std::shared_ptr<pdf::Document> document, double scale = 1.0, QSize size = {700, 900}) {
        view.resize(size);
        view.setDocument(std::move(document));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setScaleFactor(scale);
        view.horizontalScrollBar()->setValue(0);
        view.verticalScrollBar()->setValue(0);
    }
    QPoint at(double x, double y, int page = 0) const {
        return view.convertFromPage(QPointF(x, y), page).toPoint();
    }
    PDFView view;
};

// One page with the text field "name" (value "Ada") and the checkbox "agree".
std::shared_ptr<pdf::Document> formDocument() {
    fixtures::DocSpec spec = pages({"Form"});
    spec.pages[0].withTextField = true;
    spec.pages[0].withCheckbox = true;
    return open(fixtures::makePdf(spec));
}

// The editor a click on the text field opens.
QLineEdit* clickTextField(ShownView& shown) {
    QTest::mouseClick(shown.view.viewport(), Qt::LeftButton, {}, shown.at(150, 610));
    return shown.view.viewport()->findChild<QLineEdit*>();
}

// The event sequence of a real double click: press, release, double click, release.
void doubleClick(QWidget* target, QPoint point) {
    QTest::mousePress(target, Qt::LeftButton, {}, point);
    QTest::mouseRelease(target, Qt::LeftButton, {}, point);
    QTest::mouseDClick(target, Qt::LeftButton, {}, point);
    QTest::mouseRelease(target, Qt::LeftButton, {}, point);
}

void drag(QWidget* target, QPoint from, QPoint to) {
    QTest::mousePress(target, Qt::LeftButton, {}, from);
    QTest::mouseMove(target, (from + to) / 2);
    QTest::mouseMove(target, to);
    QTest::mouseRelease(target, Qt::LeftButton, {}, to);
}

} // namespace

class UrlCatcher : public QObject {
    Q_OBJECT
public slots:
    void handle(const QUrl& url) { urls << url; }

public:
    QList<QUrl> urls;
};

class TestPdfView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void autoscaleFitsTheWidthAndScaleEndsIt() {
        PDFView view;
        view.resize(700, 900);
        view.setDocument(open(fixtures::makeTextPdf(3)));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(view.autoScales());
        const QRectF page = view.pageRectInView(0);
        QVERIFY(page.left() >= pdfview::PageLayout::pageBreakGap - 1);
        QVERIFY(page.right() <= view.viewport()->width() - pdfview::PageLayout::pageBreakGap + 1);
        QCOMPARE(view.scaleFactor(), view.scaleFactorForSizeToFit());
        view.setScaleFactor(2.0);
        QVERIFY(!view.autoScales());
        view.resize(500, 900);
        QCOMPARE(view.scaleFactor(), 2.0);
    }

    void scaleIsClampedToItsLimits_data() {
        QTest::addColumn<double>("asked");
        QTest::addColumn<double>("got");
        QTest::newRow("below") << 0.01 << PDFView::minScaleFactor;
        QTest::newRow("min") << PDFView::minScaleFactor << PDFView::minScaleFactor;
        QTest::newRow("inside") << 1.5 << 1.5;
        QTest::newRow("max") << PDFView::maxScaleFactor << PDFView::maxScaleFactor;
        QTest::newRow("above") << 50.0 << PDFView::maxScaleFactor;
    }
    void scaleIsClampedToItsLimits() {
        QFETCH(double, asked);
        QFETCH(double, got);
        ShownView shown(open(fixtures::makeTextPdf(2)));
        shown.view.setScaleFactor(asked);
        QCOMPARE(shown.view.scaleFactor(), got);
    }

    void currentPageFollowsTheViewportCentre() {
        ShownView shown(open(fixtures::makeTextPdf(12)), 0.5);
        PDFView& view = shown.view;
        QSignalSpy changed(&view, &PDFView::currentPageChanged);
        QCOMPARE(view.currentPageIndex(), 0);
        // The centre of page 4 (index 3) at the viewport's centre.
        const QRectF page = view.pageRectInView(3);
        view.verticalScrollBar()->setValue(int(page.center().y() - view.viewport()->height() / 2.0));
        QCOMPARE(view.currentPageIndex(), 3);
        QCOMPARE(changed.last().at(0).toInt(), 3);
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        QCOMPARE(view.currentPageIndex(), 11);
        view.verticalScrollBar()->setValue(0);
        QCOMPARE(view.currentPageIndex(), 0);
    }

    void navigationMovesOnePageAndStopsAtTheEnds() {
        ShownView shown(open(fixtures::makeTextPdf(12)), 0.5);
        PDFView& view = shown.view;
        QVERIFY(!view.canGoToPreviousPage());
        view.goToNextPage();
        QCOMPARE(view.currentPageIndex(), 1);
        QCOMPARE(view.pageRectInView(1).top(), pdfview::PageLayout::pageBreakGap);
        view.goToPage(11);
        QCOMPARE(view.currentPageIndex(), 11); // the last page stays current though it cannot reach the top
        view.goToNextPage();
        QCOMPARE(view.currentPageIndex(), 11);
        view.goToPreviousPage();
        QCOMPARE(view.currentPageIndex(), 10);
        view.goToPage(12);
        view.goToPage(-1);
        QCOMPARE(view.currentPageIndex(), 10);
        // An outline entry goes to its page.
        view.goToOutlineItem(pdf::OutlineItem{"Fourth", 3});
        QCOMPARE(view.currentPageIndex(), 3);
        QTest::keyClick(&view, Qt::Key_End);
        QCOMPARE(view.currentPageIndex(), 11);
        QTest::keyClick(&view, Qt::Key_Home);
        QCOMPARE(view.currentPageIndex(), 0);
    }

    // The rest of a long document's page sizes are read while the view is shown only: a hidden view (its
    // window's save holding the document) leaves the document alone until it is shown again.
    void aHiddenViewReadsNoPageGeometry() {
        fixtures::DocSpec spec = pages(QStringList(300, "Letter"));
        spec.pages.append(fixtures::PageSpec{"Square", QRectF(0, 0, 400, 400)});
        PDFView view;
        view.resize(700, 900);
        view.setDocument(open(fixtures::makePdf(spec)));
        const auto lastAspect = [&] {
            const QRectF rect = view.pageRectInView(300);
            return rect.width() / rect.height();
        };
        QTest::qWait(200);
        QCOMPARE(qRound(lastAspect() * 100), qRound(612.0 / 792 * 100));
        view.show();
        QTRY_COMPARE(qRound(lastAspect() * 100), 100);
    }

    void layoutFollowsPageEdits() {
        auto document = open(fixtures::makeTextPdf(5));
        ShownView shown(document, 0.5);
        shown.view.goToPage(4);
        QVERIFY(document->removePage(4).ok());
        QVERIFY(document->removePage(3).ok());
        shown.view.layoutDocumentView();
        QCOMPARE(shown.view.currentPageIndex(), 2);
        QCOMPARE(shown.view.pageForPoint(shown.view.pageRectInView(2).center(), false), 2);
    }

    void conversionsRoundTrip_data() {
        QTest::addColumn<int>("rotate");
        QTest::addColumn<QRectF>("crop");
        QTest::newRow("upright") << 0 << QRectF();
        QTest::newRow("quarter") << 90 << QRectF();
        QTest::newRow("half") << 180 << QRectF(50, 60, 400, 500);
        QTest::newRow("three quarters") << 270 << QRectF(10, 20, 500, 700);
    }
    void conversionsRoundTrip() {
        QFETCH(int, rotate);
        QFETCH(QRectF, crop);
        fixtures::DocSpec spec = pages({"One", "Two"});
        spec.pages[1].rotate = rotate;
        spec.pages[1].cropBox = crop;
        ShownView shown(open(fixtures::makePdf(spec)), 0.75);
        const PDFView& view = shown.view;
        for (const QPointF p : {QPointF(72, 700), QPointF(100, 100), QPointF(300.5, 420.25)}) {
            const QPointF there = view.convertFromPage(p, 1);
            const QPointF back = view.convertToPage(there, 1);
            QVERIFY2(qAbs(back.x() - p.x()) < 1e-6 && qAbs(back.y() - p.y()) < 1e-6,
                     qPrintable(QString::number(rotate)));
        }
        const QRectF r(100, 200, 50, 30);
        const QRectF back = view.convertRectToPage(view.convertRectFromPage(r, 1), 1);
        QVERIFY(qAbs(back.left() - r.left()) < 1e-6 && qAbs(back.width() - r.width()) < 1e-6);
    }

    void pageSpaceHasItsOriginAtTheLowerLeft() {
        ShownView shown(open(fixtures::makeTextPdf(2)), 1.0);
        const QRectF page = shown.view.pageRectInView(0);
        QCOMPARE(shown.view.convertFromPage(QPointF(0, 0), 0), page.bottomLeft());
        QCOMPARE(shown.view.convertFromPage(QPointF(612, 792), 0), page.topRight());
        QCOMPARE(shown.view.convertFromPage(QPointF(72, 700), 0), page.topLeft() + QPointF(72, 92));
        // Page for point, plain and nearest.
        const QPointF gap(page.center().x(), page.bottom() + 2);
        QCOMPARE(shown.view.pageForPoint(gap, false), -1);
        QCOMPARE(shown.view.pageForPoint(gap, true), 0);
    }

    void selectsByDragDoubleAndTripleClick() {
        ShownView shown(open(fixtures::makeTextPdf(2, "hello")));
        PDFView& view = shown.view;
        QWidget* vp = view.viewport();
        QSignalSpy selectionChanged(&view, &PDFView::selectionChanged);

        drag(vp, shown.at(textLeft - 2, textY), shown.at(300, textY));
        QCOMPARE(view.selectedText(), QString("Page 1 hello"));
        QCOMPARE(view.selectionsByLine().size(), size_t(1));
        QVERIFY(!selectionChanged.isEmpty());

        drag(vp, shown.at(textLeft - 2, textY), shown.at(100, textY));
        QCOMPARE(view.selectedText(), QString("Page"));

        QTest::qWait(QApplication::doubleClickInterval() + 50);
        doubleClick(vp, shown.at(126, textY));
        QCOMPARE(view.selectedText(), QString("hello"));
        QTest::mouseClick(vp, Qt::LeftButton, {}, shown.at(126, textY));
        QCOMPARE(view.selectedText(), QString("Page 1 hello"));

        // A plain click elsewhere clears the selection.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QTest::mouseClick(vp, Qt::LeftButton, {}, shown.at(300, 300));
        QVERIFY(view.selectedText().isEmpty());
    }

    void selectionSpansPagesLineByLine() {
        ShownView shown(open(fixtures::makeTextPdf(3, "hello")), 0.5, {700, 1000});
        PDFView& view = shown.view;
        drag(view.viewport(), shown.at(textLeft - 2, textY, 0), shown.at(100, textY, 2));
        QCOMPARE(view.selectedText(), QString("Page 1 hello\nPage 2 hello\nPage"));
        QCOMPARE(view.selectionsByLine().size(), size_t(3));
        QCOMPARE(view.selectionsByLine()[1].pageIndex, 1);
        const QRectF line = view.selectionsByLine()[1].bounds;
        QVERIFY(line.contains(QPointF(80, textY)));
    }

    void draggingBeyondTheEdgeScrollsAndSelectsOn() {
        ShownView shown(open(fixtures::makeTextPdf(6, "hello")), 1.0, {700, 500});
        PDFView& view = shown.view;
        QWidget* vp = view.viewport();
        QTest::mousePress(vp, Qt::LeftButton, {}, shown.at(textLeft - 2, textY));
        QTest::mouseMove(vp, QPoint(300, vp->height() + 40));
        QVERIFY(QTest::qWaitFor([&] { return view.currentPageIndex() >= 2; }, testsupport::hangGuardMs));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(300, vp->height() + 40));
        const int scrolled = view.verticalScrollBar()->value();
        QTest::qWait(100);
        QCOMPARE(view.verticalScrollBar()->value(), scrolled);
        QVERIFY(view.selectedText().startsWith("Page 1 hello\nPage 2 hello"));
        QVERIFY(view.selectionsByLine().size() >= 2);
    }

    void copiesTheSelection() {
        ShownView shown(open(fixtures::makeTextPdf(1, "copied")));
        drag(shown.view.viewport(), shown.at(textLeft - 2, textY), shown.at(300, textY));
        QApplication::clipboard()->clear();
        QTest::keyClick(&shown.view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("Page 1 copied"));
    }

    // Middle-click pasting on X11 takes the selection once the gesture ends; the X11 run of this case is
    // registered with a virtual X server, the offscreen platform has no primary selection.
    void primarySelectionTakesTheSelectedText() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("no primary selection on this platform");
        QVERIFY(QApplication::clipboard()->supportsSelection());
        ShownView shown(open(fixtures::makeTextPdf(1, "middle")));
        QApplication::clipboard()->setText(QStringLiteral("before"), QClipboard::Selection);
        drag(shown.view.viewport(), shown.at(textLeft - 2, textY), shown.at(300, textY));
        QCOMPARE(QApplication::clipboard()->text(QClipboard::Selection), QString("Page 1 middle"));
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        doubleClick(shown.view.viewport(), shown.at(126, textY));
        QCOMPARE(QApplication::clipboard()->text(QClipboard::Selection), QString("middle"));
        // The ordinary clipboard is left alone.
        QVERIFY(QApplication::clipboard()->text() != QString("middle"));
    }

    void ctrlWheelAndPinchZoomAboutThePointer_data() {
        QTest::addColumn<bool>("pinch");
        QTest::addColumn<int>("direction");
        QTest::newRow("wheel in") << false << 1;
        QTest::newRow("wheel out") << false << -1;
        QTest::newRow("pinch in") << true << 1;
        QTest::newRow("pinch out") << true << -1;
    }

    void ctrlWheelAndPinchZoomAboutThePointer() {
        QFETCH(bool, pinch);
        QFETCH(int, direction);
        ShownView shown(open(fixtures::makeTextPdf(6)), 1.5);
        PDFView& view = shown.view;
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() / 2);
        const QPointF pointer(230, 340);
        const int page = view.pageForPoint(pointer, false);
        QVERIFY(page >= 0);
        const QPointF under = view.convertToPage(pointer, page);
        const int scrolled = view.verticalScrollBar()->value();
        const auto zoom = [&] {
            if (pinch) {
                QNativeGestureEvent gesture(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(),
                                            2, pointer, pointer, view.viewport()->mapToGlobal(pointer),
                                            0.2 * direction, QPointF());
                QApplication::sendEvent(view.viewport(), &gesture);
            } else {
                QWheelEvent wheel(pointer, view.viewport()->mapToGlobal(pointer), {},
                                  QPoint(0, 120 * direction), Qt::NoButton, Qt::ControlModifier,
                                  Qt::NoScrollPhase, false);
                QApplication::sendEvent(view.viewport(), &wheel);
            }
        };
        zoom();
        QVERIFY(direction > 0 ? view.scaleFactor() > 1.5 : view.scaleFactor() < 1.5);
        QVERIFY(!view.autoScales());
        // The page point under the pointer stays put, and nothing scrolled as a plain wheel would.
        const QPointF now = view.convertFromPage(under, page);
        QVERIFY2((now - pointer).manhattanLength() < 1.5,
                 qPrintable(QStringLiteral("%1,%2").arg(now.x()).arg(now.y())));
        QVERIFY(view.verticalScrollBar()->value() != scrolled);
        // The view's limits hold.
        for (int i = 0; i < 60; ++i)
            zoom();
        QCOMPARE(view.scaleFactor(), direction > 0 ? PDFView::maxScaleFactor : PDFView::minScaleFactor);
    }

    void spaceAndShiftSpacePageByAScreen() {
        ShownView shown(open(fixtures::makeTextPdf(6)));
        QScrollBar* bar = shown.view.verticalScrollBar();
        QTest::keyClick(&shown.view, Qt::Key_Space);
        QCOMPARE(bar->value(), bar->pageStep());
        QTest::keyClick(&shown.view, Qt::Key_Space);
        QCOMPARE(bar->value(), 2 * bar->pageStep());
        QTest::keyClick(&shown.view, Qt::Key_Space, Qt::ShiftModifier);
        QCOMPARE(bar->value(), bar->pageStep());
    }

    void internalLinksGoToTheirPage() {
        fixtures::DocSpec spec = pages({"One", "Two", "Three", "Four", "Five", "Six"});
        spec.pages[0].linkToPage = 2;
        ShownView shown(open(fixtures::makePdf(spec)), 0.5);
        QTest::mouseClick(shown.view.viewport(), Qt::LeftButton, {}, shown.at(120, 660));
        QCOMPARE(shown.view.currentPageIndex(), 2);
        QCOMPARE(shown.view.convertFromPage(QPointF(0, 792), 2).y(), 0.0);
        QVERIFY(shown.view.selectedText().isEmpty());
    }

    void externalLinksOpenOnlyWebAndMailAddresses_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("opened");
        QTest::newRow("https") << "https://example.org/page" << true;
        QTest::newRow("mail") << "mailto:ada@example.org" << true;
        QTest::newRow("local program") << "file:///usr/bin/xterm" << false;
        QTest::newRow("script") << "javascript:alert(1)" << false;
    }
    void externalLinksOpenOnlyWebAndMailAddresses() {
        QFETCH(QString, address);
        QFETCH(bool, opened);
        UrlCatcher catcher;
        for (const char* scheme : {"https", "mailto", "file", "javascript"})
            QDesktopServices::setUrlHandler(scheme, &catcher, "handle");
        fixtures::DocSpec spec = pages({"One"});
        spec.pages[0].linkURI = address;
        ShownView shown(open(fixtures::makePdf(spec)));
        QTest::mouseClick(shown.view.viewport(), Qt::LeftButton, {}, shown.at(120, 630));
        QCOMPARE(catcher.urls.size(), opened ? 1 : 0);
        if (opened)
            QCOMPARE(catcher.urls.first(), QUrl(address));
        for (const char* scheme : {"https", "mailto", "file", "javascript"})
            QDesktopServices::unsetUrlHandler(scheme);
    }

    void fillsATextFieldThatSurvivesSaving() {
        auto document = formDocument();
        ShownView shown(document);
        QSignalSpy edited(&shown.view, &PDFView::formFieldEdited);
        QLineEdit* editor = clickTextField(shown);
        QVERIFY(editor && editor->isVisible());
        QCOMPARE(editor->text(), QString("Ada"));
        QTest::keyClicks(editor, "Grace");
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(edited.size(), 1);
        auto reread = open(document->save().value());
        QCOMPARE(reread->formWidgets(0).value().at(0).value, QString("Grace"));
        QVERIFY(!reread->formWidgets(0).value().at(1).checked);
    }

    void escapeLeavesATextFieldAlone() {
        auto document = formDocument();
        ShownView shown(document);
        QSignalSpy edited(&shown.view, &PDFView::formFieldEdited);
        QLineEdit* editor = clickTextField(shown);
        QVERIFY(editor);
        QTest::keyClicks(editor, "Nobody");
        QTest::keyClick(editor, Qt::Key_Escape);
        QCOMPARE(edited.size(), 0);
        QCOMPARE(document->formWidgets(0).value().at(0).value, QString("Ada"));
    }

    void togglesACheckbox() {
        auto document = formDocument();
        ShownView shown(document);
        QSignalSpy edited(&shown.view, &PDFView::formFieldEdited);
        QTest::mouseClick(shown.view.viewport(), Qt::LeftButton, {}, shown.at(79, 567));
        QCOMPARE(edited.size(), 1);
        QVERIFY(document->formWidgets(0).value().at(1).checked);
    }

    void rendersPagesOffTheMainThread() {
        ShownView shown(open(fixtures::makeTextPdf(3, "WWWWWWWWWWWW")), 2.0);
        // Painting asks for the tiles; they come back later from the workers.
        shown.view.viewport()->repaint();
        QVERIFY(!shown.view.isRenderingIdle());
        QVERIFY(QTest::qWaitFor([&] { return shown.view.isRenderingIdle(); }, testsupport::hangGuardMs));
        const QImage image = shown.view.viewport()->grab().toImage();
        // Dark pixels where the text is, white beside it.
        int dark = 0;
        const QRect text = shown.view.convertRectFromPage(QRectF(72, 698, 100, 10), 0).toAlignedRect();
        for (int y = text.top(); y <= text.bottom(); ++y) {
            for (int x = text.left(); x <= text.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
        }
        QVERIFY2(dark > 50, qPrintable(QString::number(dark)));
        QCOMPARE(image.pixelColor(shown.at(300, 400)), QColor(Qt::white));
    }

    void memoryPressureEmptiesTheTileCache() {
        ShownView shown(open(fixtures::makeTextPdf(2)));
        auto renderNow = [&] {
            shown.view.viewport()->repaint();
            return QTest::qWaitFor([&] { return shown.view.isRenderingIdle(); }, testsupport::hangGuardMs);
        };
        QVERIFY(renderNow());
        QVERIFY(pdfview::TileCache::count() > 0);
        platform::MemoryPressureMonitor::shared().simulatePressureEvent();
        QCOMPARE(pdfview::TileCache::count(), 0);
        // The view renders again when it next paints.
        QVERIFY(renderNow());
        QVERIFY(pdfview::TileCache::count() > 0);
    }

    void mixedPageSizesAreLaidOutExactly() {
        fixtures::DocSpec spec;
        for (int i = 0; i < 200; ++i)
            spec.pages.append(fixtures::PageSpec{QStringLiteral("Page %1").arg(i + 1)});
        spec.pages[150].mediaBox = QRectF(0, 0, 842, 595);
        spec.pages[190].rotate = 90;
        ShownView shown(open(fixtures::makePdf(spec)), 0.5);
        PDFView& view = shown.view;
        // A jump far ahead reads the pages it needs first.
        view.goToPage(150);
        QCOMPARE(view.pageRectInView(150).size(), QSizeF(421, 297.5));
        QCOMPARE(view.pageRectInView(150).top(), pdfview::PageLayout::pageBreakGap);
        // The rest arrives in the background without moving what is on screen.
        QVERIFY(QTest::qWaitFor([&] { return view.pageRectInView(190).size() == QSizeF(396, 306); },
                                testsupport::hangGuardMs));
        QCOMPARE(view.pageRectInView(150).top(), pdfview::PageLayout::pageBreakGap);
        QCOMPARE(view.currentPageIndex(), 150);
    }

    void aViewWithoutADocumentIsEmpty() {
        PDFView view;
        view.resize(300, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.currentPageIndex(), -1);
        QCOMPARE(view.pageForPoint(QPointF(10, 10), true), -1);
        view.goToNextPage();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(view.selectedText().isEmpty());
        view.setDocument(open(fixtures::makeTextPdf(1)));
        QCOMPARE(view.currentPageIndex(), 0);
        view.setDocument(nullptr);
        QCOMPARE(view.currentPageIndex(), -1);
    }
};

QTEST_MAIN(TestPdfView)
#include "test_pdf_view.moc"
