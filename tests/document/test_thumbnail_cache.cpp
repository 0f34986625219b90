// The thumbnail cache: keys that never mix documents or revisions, images that come back as they were
// stored, its limit, and emptying on pressure.
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

    void imagesComeBackAsStored_data() {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QImage::Format>("format");
        // Lines of an odd number of pixels, and of three bytes a pixel, end in padding the packing must skip.
        const auto pattern = [](QSize size, QImage::Format format) {
            QImage image(size, QImage::Format_ARGB32);
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x)
                    image.setPixel(x, y,
                                   qRgba((x * 37) % 256, (y * 11) % 256, (x * y) % 256, 64 + (x + y) % 192));
            return image.convertToFormat(format);
        };
        QTest::newRow("opaque") << pattern({37, 53}, QImage::Format_RGB32) << QImage::Format_RGB32;
        QTest::newRow("translucent") << pattern({28, 36}, QImage::Format_ARGB32_Premultiplied)
                                     << QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("three bytes a pixel")
            << pattern({31, 9}, QImage::Format_RGB888) << QImage::Format_RGB888;
        QImage sharp = pattern({56, 72}, QImage::Format_RGB32);
        sharp.setDevicePixelRatio(2);
        QTest::newRow("twice the pixel ratio") << sharp << QImage::Format_RGB32;
        // A colour table does not survive the packing: such an image comes back in full colour.
        QTest::newRow("indexed") << pattern({20, 20}, QImage::Format_Indexed8) << QImage::Format_ARGB32;
    }

    void imagesComeBackAsStored() {
        QFETCH(QImage, image);
        QFETCH(QImage::Format, format);
        ThumbnailCache::setObject("k", image);
        const std::optional<QImage> back = ThumbnailCache::object("k");
        QVERIFY(back.has_value());
        QCOMPARE(back->format(), format);
        QCOMPARE(back->size(), image.size());
        QCOMPARE(back->devicePixelRatio(), image.devicePixelRatio());
        QCOMPARE(back->convertToFormat(QImage::Format_ARGB32), image.convertToFormat(QImage::Format_ARGB32));
        QVERIFY(ThumbnailCache::contains("k"));
        QVERIFY(!ThumbnailCache::contains("other"));
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
