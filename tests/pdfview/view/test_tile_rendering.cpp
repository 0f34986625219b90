// Tile rendering never loses a page: hundreds of jumps, resizes, zooms, page moves and re-layouts on a
// long document, with other threads competing for the processor, and after each one settles every visible
// page area shows its own page. Each page is filled with coloured bands that identify the page and the
// band, so a missing tile (white), a stale one or one landing on the wrong page is seen at once.
#include "PdfFixtures.h"
#include "pdfview/view/PDFView.h"
#include "pdfview/view/TileCache.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>

#include <atomic>
#include <cmath>
#include <map>
#include <thread>

using namespace zepla;
using pdfview::PDFView;

namespace {

constexpr int pageCount = 400;
constexpr double bandHeight = 66; // twelve bands on a Letter page

QColor bandColor(int page, int band) {
    return QColor((page * 53 + band * 17) % 200 + 30, (page * 29 + band * 71) % 200 + 30,
                  (page * 11 + band * 37) % 200 + 30);
}

QByteArray bandedPdf() {
    fixtures::DocSpec spec;
    for (int page = 0; page < pageCount; ++page) {
        QByteArray drawing;
        for (int band = 0; band < 12; ++band) {
            const QColor c = bandColor(page, band);
            drawing += QStringLiteral("%1 %2 %3 rg 0 %4 612 %5 re f ")
                           .arg(c.redF())
                           .arg(c.greenF())
                           .arg(c.blueF())
                           .arg(band * bandHeight)
                           .arg(bandHeight)
                           .toLatin1();
        }
        spec.pages.append(fixtures::PageSpec{.drawing = drawing});
    }
    return fixtures::makePdf(spec);
}

bool near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) <= 8 && std::abs(a.green() - b.green()) <= 8 &&
           std::abs(a.blue() - b.blue()) <= 8;
}

// Other threads keeping the processor busy while the view renders, so workers and the UI thread
// interleave in many different orders.
class Load {
public:
    explicit Load(int threads) {
        for (int i = 0; i < threads; ++i)
            m_threads.emplace_back([this] {
                volatile double x = 1;
                while (!m_stop.load(std::memory_order_relaxed))
                    x = std::sqrt(x + 1);
            });
    }
    ~Load() {
        m_stop = true;
        for (std::thread& t : m_threads)
            t.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
};

} // namespace

class TestTileRendering : public QObject {
    Q_OBJECT

    std::shared_ptr<pdf::Document> m_document;
    std::map<int, int> m_pageOfObject; // page object number → the page's index in the file as made

    // Waits until nothing is being rendered and no repaint asks for more.
    static bool settle(PDFView& view) {
        for (int round = 0; round < 100; ++round) {
            if (!QTest::qWaitFor([&] { return view.isRenderingIdle(); }, testsupport::hangGuardMs))
                return false;
            QCoreApplication::processEvents();
            if (view.isRenderingIdle())
                return true;
        }
        return false;
    }

    // Every visible page area shows its page's bands; returns what is wrong, empty when all is right.
    QString misdrawn(PDFView& view) {
        const QImage image = view.viewport()->grab().toImage();
        const QRectF screen = QRectF(view.viewport()->rect()).adjusted(3, 3, -3, -3);
        for (int index = 0; index < m_document->pageCount(); ++index) {
            const QRectF area = view.pageRectInView(index).adjusted(3, 3, -3, -3).intersected(screen);
            if (area.isEmpty())
                continue;
            const int page = m_pageOfObject.at(m_document->page(index).objectNumber());
            for (double y = area.top(); y < area.bottom(); y += 23) {
                for (double x = area.left(); x < area.right(); x += 29) {
                    const QPoint pixel{int(x), int(y)};
                    const QPointF pagePoint = view.convertToPage(QPointF(pixel) + QPointF(0.5, 0.5), index);
                    const double band = pagePoint.y() / bandHeight;
                    // Edges between bands are smoothed: look only well inside a band.
                    if (std::abs(band - std::round(band)) * bandHeight * view.scaleFactor() < 3)
                        continue;
                    const QColor want = bandColor(page, int(std::floor(band)));
                    const QColor got = image.pixelColor(pixel);
                    if (!near(got, want))
                        return QStringLiteral("page %1 at (%2, %3): %4 instead of %5")
                            .arg(index)
                            .arg(pixel.x())
                            .arg(pixel.y())
                            .arg(got.name(), want.name());
                }
            }
        }
        return {};
    }

private slots:
    void initTestCase() {
        m_document = pdf::Document::open(bandedPdf()).value();
        for (int i = 0; i < m_document->pageCount(); ++i)
            m_pageOfObject[m_document->page(i).objectNumber()] = i;
    }

    void everyVisiblePageIsPaintedAfterEverySettle() {
        PDFView view;
        view.resize(640, 520);
        view.setDocument(m_document);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(settle(view));
        QCOMPARE(misdrawn(view), QString());

        const Load load(std::clamp(QThread::idealThreadCount() / 2, 1, 3));
        QRandomGenerator random(16);
        const auto below = [&](int bound) { return int(random.bounded(bound)); };
        for (int step = 0; step < 300; ++step) {
            QString what;
            switch (below(10)) {
            case 0:
                what = QStringLiteral("End");
                QTest::keyClick(&view, Qt::Key_End);
                break;
            case 1:
                what = QStringLiteral("Home");
                QTest::keyClick(&view, Qt::Key_Home);
                break;
            case 2: {
                const int page = below(pageCount);
                what = QStringLiteral("go to page %1").arg(page);
                view.goToPage(page);
                break;
            }
            case 3: {
                const QSize size(300 + below(600), 250 + below(550));
                what = QStringLiteral("resize to %1×%2").arg(size.width()).arg(size.height());
                view.resize(size);
                break;
            }
            case 4:
                what = QStringLiteral("lay out again");
                view.layoutDocumentView();
                break;
            case 5: {
                const double scale = 0.2 + below(230) / 100.0;
                what = QStringLiteral("scale %1").arg(scale);
                view.setScaleFactor(scale);
                break;
            }
            case 6: {
                const QPoint at(below(view.viewport()->width()), below(view.viewport()->height()));
                const int notches = below(2) ? 120 : -120;
                what = QStringLiteral("Ctrl+wheel %1 at %2,%3").arg(notches).arg(at.x()).arg(at.y());
                QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), {}, QPoint(0, notches), Qt::NoButton,
                                  Qt::ControlModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(view.viewport(), &wheel);
                break;
            }
            case 7: {
                const int from = below(pageCount);
                const int to = below(pageCount);
                what = QStringLiteral("move page %1 to %2").arg(from).arg(to);
                QVERIFY(m_document->movePage(from, to));
                view.layoutDocumentView();
                break;
            }
            case 8: {
                QScrollBar* bar = view.verticalScrollBar();
                const int value = below(std::max(1, bar->maximum()));
                what = QStringLiteral("scroll to %1").arg(value);
                bar->setValue(value);
                break;
            }
            default:
                what = QStringLiteral("Space");
                QTest::keyClick(&view, Qt::Key_Space);
                break;
            }
            QVERIFY2(settle(view), qPrintable(what));
            const QString wrong = misdrawn(view);
            QVERIFY2(wrong.isEmpty(),
                     qPrintable(QStringLiteral("after step %1 (%2): %3").arg(step).arg(what, wrong)));
        }
        // All that browsing stays within the cache's budget.
        QVERIFY(pdfview::TileCache::bytesHeld() <= pdfview::TileCache::budgetBytes());
    }
};

QTEST_MAIN(TestTileRendering)
#include "test_tile_rendering.moc"
