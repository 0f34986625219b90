// Placing signatures with the mouse: nothing without a saved signature, a click at the default size, drags
// that set the width, one undo step at the final size, the first page kept when the drag crosses to another,
// and the saved file showing the signature in pdftoppm and in Zepla, transparent around the ink.
#include "PdfFixtures.h"
#include "TestDocuments.h"
#include "annotations/SignatureAnnotation.h"
#include "core/Settings.h"
#include "pdfview/annotating/AnnotatingPDFView.h"

#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;
using namespace zepla::annotations;
using zepla::pdfview::AnnotatingPDFView;

namespace {

// A 400 × 100 signature: a thick black bar in the middle of a transparent image.
QImage signatureImage() {
    QImage image(400, 100, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(QRect(40, 30, 320, 40), Qt::black);
    return image;
}

} // namespace

class TestSignaturePlacement : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    std::unique_ptr<AnnotatingPDFView> m_view;
    std::unique_ptr<ToolState> m_tools;
    std::unique_ptr<platform::UndoManager> m_undo;
    std::shared_ptr<pdf::Document> m_doc;

    void showDocument(const QByteArray& bytes) {
        m_doc = testdocs::open(bytes);
        m_view = std::make_unique<AnnotatingPDFView>();
        m_tools = std::make_unique<ToolState>();
        m_undo = std::make_unique<platform::UndoManager>();
        m_view->setToolState(m_tools.get());
        m_view->setUndoManager(m_undo.get());
        m_view->resize(800, 900);
        m_view->setDocument(m_doc);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_view->setScaleFactor(1.0);
        QVERIFY(QTest::qWaitFor([&] { return m_view->isRenderingIdle(); }, testsupport::hangGuardMs));
        m_tools->setTool(AnnotationTool::signature);
    }

    QWidget* viewport() const { return m_view->viewport(); }
    QPoint viewPoint(const QPointF& pagePoint, int page = 0) const {
        return m_view->convertFromPage(pagePoint, page).toPoint();
    }
    std::vector<pdf::AnnotationInfo> annotations(int page = 0) const {
        return m_doc->annotations(page).value();
    }

    void drag(const QPoint& from, const QPoint& to) {
        QTest::mousePress(viewport(), Qt::LeftButton, {}, from);
        for (int i = 1; i <= 4; ++i)
            QTest::mouseMove(viewport(), from + (to - from) * i / 4);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, to);
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", m_home.filePath("config").toUtf8());
        qputenv("XDG_DATA_HOME", m_home.filePath("data").toUtf8());
        testdocs::requireTool("pdftoppm");
    }

    void init() { platform::userSettings()->remove("zepla.savedSignatures"); }
    void cleanup() {
        m_view.reset();
        m_tools.reset();
    }

    void withoutASavedSignatureAPressPlacesNothing() {
        showDocument(fixtures::makePdf({{fixtures::PageSpec{}}}));
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, viewPoint(QPointF(200, 500)));
        QVERIFY(annotations().empty());
        QVERIFY(!m_undo->canUndo());
    }

    // The press at page point (200, 600); the pointer released `dx`, `dy` page points away.
    void clicksAndDragsSizeTheSignature_data() {
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::addColumn<QRectF>("expected"); // relative to the press point
        QTest::newRow("click") << 0 << 0 << QRectF(0, -40, 160, 40);
        QTest::newRow("100 right") << 100 << 0 << QRectF(0, -25, 100, 25);
        QTest::newRow("10 right") << 10 << 0 << QRectF(0, -6, 24, 6);
        QTest::newRow("100 left") << -100 << 0 << QRectF(-100, -25, 100, 25);
        QTest::newRow("10 left") << -10 << 0 << QRectF(-10, -6, 24, 6);
        QTest::newRow("straight down") << 0 << -150 << QRectF(0, -6, 24, 6);
        QTest::newRow("right and up") << 100 << 80 << QRectF(0, -25, 100, 25);
    }
    void clicksAndDragsSizeTheSignature() {
        QFETCH(int, dx);
        QFETCH(int, dy);
        QFETCH(QRectF, expected);
        ToolState store;
        store.signatureStore().add(signatureImage());
        showDocument(fixtures::makePdf({{fixtures::PageSpec{}}}));
        const QPoint press = viewPoint(QPointF(200, 600));
        const QPointF start = m_view->convertToPage(press, 0);
        if (dx == 0 && dy == 0)
            QTest::mouseClick(viewport(), Qt::LeftButton, {}, press);
        else
            drag(press, viewPoint(start + QPointF(dx, dy)));
        QCoreApplication::processEvents();
        const auto placed = annotations();
        QCOMPARE(placed.size(), std::size_t(1));
        QCOMPARE(placed[0].subtype, QString("Stamp"));
        const QRectF want = expected.translated(start);
        const QRectF got = placed[0].rect;
        QVERIFY2(std::abs(got.left() - want.left()) < 0.6 && std::abs(got.top() - want.top()) < 0.6 &&
                     std::abs(got.width() - want.width()) < 0.6 &&
                     std::abs(got.height() - want.height()) < 0.6,
                 qPrintable(QStringLiteral("got %1,%2 %3×%4")
                                .arg(got.left())
                                .arg(got.top())
                                .arg(got.width())
                                .arg(got.height())));

        // One undo step takes it away; redo brings it back at its final size.
        m_undo->undo();
        QVERIFY(annotations().empty());
        m_undo->redo();
        QCOMPARE(annotations().size(), std::size_t(1));
        QCOMPARE(annotations()[0].rect, got);
        QVERIFY(!m_undo->canRedo());
        m_undo->undo();
        QVERIFY(!m_undo->canUndo());
    }

    void aDragOverTheNextPageStaysOnTheFirst() {
        ToolState store;
        store.signatureStore().add(signatureImage());
        showDocument(fixtures::makeTextPdf(2));
        const QPoint press = viewPoint(QPointF(200, 60), 0);
        const QPoint onNext = viewPoint(QPointF(300, 700), 1);
        QVERIFY(m_view->pageForPoint(onNext, false) == 1);
        drag(press, onNext);
        QCOMPARE(annotations(0).size(), std::size_t(1));
        QVERIFY(annotations(1).empty());
    }

    void anUnreadableStoredSignatureIsSkipped() {
        // The stored list: a PNG that does not decode, then a good one.
        const QList<SavedSignature> list{{QUuid::createUuid(), QByteArray("not a png")},
                                         {QUuid::createUuid(), pngData(signatureImage())}};
        platform::userSettings()->setValue("zepla.savedSignatures", encodeSignatures(list));
        showDocument(fixtures::makePdf({{fixtures::PageSpec{}}}));
        QCOMPARE(m_tools->signatureStore().signatures().size(), 2);
        // Active, the unreadable one places nothing; the other still works.
        m_tools->signatureStore().setActiveID(list[0].id);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, viewPoint(QPointF(200, 500)));
        QVERIFY(annotations().empty());
        m_tools->signatureStore().setActiveID(list[1].id);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, viewPoint(QPointF(200, 500)));
        QCOMPARE(annotations().size(), std::size_t(1));
    }

    // On a turned, cropped page the signature lies under the pointer, in Zepla and in pdftoppm, and the page
    // shows through around the ink.
    void theSavedFileShowsTheSignatureWhereItWasPlaced_data() {
        QTest::addColumn<bool>("turned");
        QTest::newRow("plain page") << false;
        QTest::newRow("rotated and cropped page") << true;
    }
    void theSavedFileShowsTheSignatureWhereItWasPlaced() {
        QFETCH(bool, turned);
        ToolState store;
        store.signatureStore().add(signatureImage());
        fixtures::PageSpec page{"Signed"};
        if (turned) {
            page.rotate = 90;
            page.cropBox = QRectF(40, 60, 500, 650);
        }
        showDocument(fixtures::makePdf({{page}}));
        const QRectF shown = m_view->pageRectInView(0);
        const QPoint press = (shown.topLeft() + QPointF(shown.width() * 0.3, shown.height() * 0.4)).toPoint();
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, press);
        QCOMPARE(annotations().size(), std::size_t(1));
        // The stamp's rectangle holds the press point.
        const QRectF rect = annotations()[0].rect;
        const QPointF pressed = m_view->convertToPage(press, 0);
        QVERIFY(rect.adjusted(-1, -1, 1, 1).contains(pressed));

        QTemporaryDir dir;
        const QString path = testdocs::saveTo(*m_doc, dir.filePath("signed.pdf"));
        QProcess pdftoppm;
        pdftoppm.start("pdftoppm", {"-png", "-r", "72", "-cropbox", "-singlefile", path, path});
        QVERIFY(pdftoppm.waitForFinished(60000));
        QCOMPARE(pdftoppm.exitCode(), 0);
        const QImage other(path + ".png");
        auto reopened = testdocs::open(m_doc->save().value());
        QCOMPARE(reopened->annotations(0).value().size(), std::size_t(1));
        const QImage ours = reopened->render(0, 1).value();
        QCOMPARE(other.size(), ours.size());
        const QRectF area = reopened->geometry(0).value().pageToImage(1).mapRect(rect);
        // The bar in the middle is black; the corners of the stamp show the white page.
        const QPointF middle = area.center();
        const QPoint corner = (area.topLeft() + QPointF(2, 2)).toPoint();
        for (const QImage* image : {&ours, &other}) {
            QVERIFY(qGray(image->pixel(middle.toPoint())) < 60);
            QVERIFY(qGray(image->pixel(corner)) > 200);
        }
    }
};

QTEST_MAIN(TestSignaturePlacement)
#include "test_signature_placement.moc"
