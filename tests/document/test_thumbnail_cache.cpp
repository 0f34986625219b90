// The thumbnail cache: keys that never mix documents or revisions, its limit, and emptying on pressure.
#include "PdfFixtures.h"
#include "core/MemoryPressureMonitor.h"
#include "document/ThumbnailCache.h"
#include "pdf/PdfDocument.h"

#include <QRegularExpression>
#include <QTest>

using namespace zepla::document;

class TestThumbnailCache : public QObject {
    Q_OBJECT

private slots:
    void init() { ThumbnailCache::removeAllObjects(); }

    void keysNameDocumentRevisionAndPage() {
        auto a = zepla::pdf::Document::open(fixtures::makeTextPdf(8)).value();
        auto b = zepla::pdf::Document::open(fixtures::makeTextPdf(8)).value();
        const QString key = ThumbnailCache::key(*a, 7);
        QVERIFY(QRegularExpression("^\\d+\\.\\d+-7$").match(key).hasMatch());
        QVERIFY(ThumbnailCache::key(*b, 7) != key);
        QCOMPARE(ThumbnailCache::recentKey("/tmp/a.pdf"), QString("recent-/tmp/a.pdf"));
    }

    void renderFinishingAfterAnEditIsNeverShown() {
        auto d = zepla::pdf::Document::open(fixtures::makeTextPdf(3)).value();
        const QString keyAtStart = ThumbnailCache::key(*d, 0);
        QVERIFY(d->movePage(0, 2).ok()); // an edit while the render runs
        ThumbnailCache::removeAllObjects();
        ThumbnailCache::setObject(keyAtStart, QImage(4, 4, QImage::Format_RGB32)); // the late render lands
        QVERIFY(!ThumbnailCache::object(ThumbnailCache::key(*d, 0)).has_value());
    }

    void keysOfANewDocumentNeverMeetOldOnes() {
        // A new document may be allocated where a closed one lived; its thumbnails must not show.
        QSet<QString> seen;
        for (int i = 0; i < 20; ++i) {
            auto d = zepla::pdf::Document::createEmpty();
            const QString key = ThumbnailCache::key(*d, 0);
            QVERIFY(!seen.contains(key));
            seen.insert(key);
        }
    }

    void boundedTo300() {
        for (int i = 0; i < 350; ++i)
            ThumbnailCache::setObject(QString::number(i), QImage(2, 2, QImage::Format_RGB32));
        QCOMPARE(ThumbnailCache::count(), 300);
        QVERIFY(ThumbnailCache::object("349").has_value());
    }

    void memoryPressureEmptiesIt() {
        ThumbnailCache::install();
        ThumbnailCache::setObject("x", QImage(2, 2, QImage::Format_RGB32));
        zepla::platform::MemoryPressureMonitor::shared().simulatePressureEvent();
        QCOMPARE(ThumbnailCache::count(), 0);
    }
};

QTEST_MAIN(TestThumbnailCache)
#include "test_thumbnail_cache.moc"
