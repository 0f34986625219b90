// The recent files: the list in the preferences, the grid of cells and their first-page thumbnails.
#include "LandingTestSupport.h"
#include "PdfFixtures.h"
#include "document/ThumbnailCache.h"
#include "ui/landing/LandingView.h"
#include "ui/landing/RecentDocuments.h"
#include "ui/landing/RecentThumbnailCell.h"
#include "ui/landing/RecentsSection.h"

#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;
using namespace zepla::ui;

class TestRecentFiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString writePdf(const QString& name, const QByteArray& bytes = fixtures::makeTextPdf(1)) {
        return writeTestFile(m_dir, name, bytes);
    }

private slots:
    void initTestCase() { usePrivatePreferences(); }
    void init() {
        RecentDocuments::clear();
        document::ThumbnailCache::removeAllObjects();
    }

    void listKeepsTheNewestFirstWithoutRepeats() {
        const QString a = writePdf("a.pdf"), b = writePdf("b.pdf");
        RecentDocuments::note(a);
        RecentDocuments::note(b);
        RecentDocuments::note(a);
        QCOMPARE(RecentDocuments::paths(), (QStringList{a, b}));
        for (int i = 0; i < RecentDocuments::maximumCount + 2; ++i)
            RecentDocuments::note(m_dir.filePath(QStringLiteral("f%1.pdf").arg(i)));
        QCOMPARE(RecentDocuments::paths().size(), RecentDocuments::maximumCount);
        QCOMPARE(RecentDocuments::paths().first(), m_dir.filePath(QStringLiteral("f%1.pdf").arg(11)));
        RecentDocuments::remove(m_dir.filePath("f11.pdf"));
        QCOMPARE(RecentDocuments::paths().first(), m_dir.filePath("f10.pdf"));
    }

    void oneCellPerEntryInOrder() {
        QStringList paths;
        for (int i = 0; i < 12; ++i)
            paths << QStringLiteral("/nowhere/file%1.pdf").arg(i);
        RecentsSection section;
        section.setPaths(paths);
        QCOMPARE(section.cells().size(), 12);
        for (int i = 0; i < 12; ++i)
            QCOMPARE(section.cells()[i]->path(), paths[i]);
    }

    void cellShowsTheNameWithoutItsLastExtensionAndTheFolder() {
        RecentThumbnailCell cell("/Users/x/Documents/report.final.pdf");
        QCOMPARE(cell.displayName(), QStringLiteral("report.final"));
        QCOMPARE(cell.folder(), QStringLiteral("/Users/x/Documents"));
        QCOMPARE(cell.width(), 130);
    }

    void gridShareOutColumnsOfAtLeastTheCellWidth() {
        RecentsSection section;
        QStringList paths;
        for (int i = 0; i < 5; ++i)
            paths << QStringLiteral("/nowhere/%1.pdf").arg(i);
        section.setPaths(paths);
        section.resize(600, 1000);
        section.show();
        QVERIFY(QTest::qWaitForWindowExposed(&section));
        const auto cells = section.cells();
        // 600 points hold four columns of at least 130 with 16 between them; the fifth cell starts a row.
        QCOMPARE(cells[3]->y(), cells[0]->y());
        QVERIFY(cells[4]->y() > cells[0]->y() + cells[0]->height());
        QCOMPARE(cells[4]->x(), cells[0]->x());
        QVERIFY(cells[1]->x() - cells[0]->x() >= 130 + 16);
    }

    void landscapePageRendersTwoHundredEightyHighAndIsCached() {
        fixtures::PageSpec page;
        page.mediaBox = QRectF(0, 0, 842, 595);
        const QString path = writePdf("landscape.pdf", fixtures::makePdf({{page}}));
        RecentThumbnailCell cell(path);
        QSignalSpy loaded(&cell, &RecentThumbnailCell::thumbnailChanged);
        cell.show();
        QVERIFY(QTest::qWaitForWindowExposed(&cell));
        QTRY_COMPARE(loaded.count(), 1);
        QCOMPARE(cell.thumbnail().height(), 280);
        QVERIFY(qAbs(cell.thumbnail().width() - 396) <= 1);
        const auto cached = document::ThumbnailCache::object(document::ThumbnailCache::recentKey(path));
        QVERIFY(cached);
        QCOMPARE(cached->size(), cell.thumbnail().size());
    }

    void cachedThumbnailIsUsedWithoutRendering() {
        const QString path = "/nowhere/cached.pdf";
        QImage red(50, 80, QImage::Format_RGB32);
        red.fill(Qt::red);
        document::ThumbnailCache::setObject(document::ThumbnailCache::recentKey(path), red);
        RecentThumbnailCell cell(path);
        cell.show();
        QVERIFY(QTest::qWaitForWindowExposed(&cell));
        QTRY_COMPARE(cell.thumbnail(), red);
        // Scaled to fit the 110 by 140 frame, centred.
        const QImage shown = cell.grab().toImage();
        QCOMPARE(shown.pixelColor(10 + 55, 70), QColor(Qt::red));
    }

    void fileWithoutAThumbnailKeepsThePlaceholder_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("missing") << "" << QByteArray();
        QTest::newRow("not a pdf") << "broken.pdf" << QByteArray("this is no PDF");
    }
    void fileWithoutAThumbnailKeepsThePlaceholder() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = name.isEmpty() ? m_dir.filePath("gone.pdf") : writePdf(name, bytes);
        bool answered = false;
        std::optional<QImage> result;
        RecentThumbnailCell::loadThumbnail(path, this, [&](std::optional<QImage> image) {
            answered = true;
            result = image;
        });
        // The render runs on a worker; the answer comes back through the event loop.
        QVERIFY(!answered);
        QTRY_VERIFY(answered);
        QVERIFY(!result);

        RecentThumbnailCell cell(path);
        cell.show();
        QVERIFY(QTest::qWaitForWindowExposed(&cell));
        QTest::qWait(100);
        QVERIFY(cell.thumbnail().isNull());
        // The pale document symbol in brand blue sits in the middle of the frame.
        const QImage shown = cell.grab().toImage();
        int blue = 0;
        for (int x = 40; x < 90; ++x)
            blue += shown.pixelColor(x, 70).blue() > shown.pixelColor(x, 70).red() + 40;
        QVERIFY(blue > 0);
    }

    void clickingACellOpensItThroughTheLandingView() {
        const QString path = writePdf("recent.pdf");
        RecentDocuments::note(path);
        QStringList opened;
        LandingView view([&](const QString& p) { opened << p; });
        view.resize(800, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        RecentThumbnailCell* cell = view.recentsSection()->cells().constFirst();
        QTest::mouseClick(cell, Qt::LeftButton, {}, QPoint(65, 70));
        QCOMPARE(opened, QStringList{path});
    }
};

QTEST_MAIN(TestRecentFiles)
#include "test_recent_files.moc"
