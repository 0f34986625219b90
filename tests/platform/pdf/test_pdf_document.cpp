// The PDF layer: opening and unlocking, page identity, geometry and rendering, text, annotations,
// outline and document information.
#include "PdfFixtures.h"
#include "pdf/PdfDocument.h"
#include "pdf/PdfImagePage.h"
#include "pdf/PdfRender.h"

#include <QBuffer>
#include <QTest>

#include <thread>

using namespace zepla::pdf;
using fixtures::DocSpec;
using fixtures::PageSpec;

namespace {

std::shared_ptr<Document> openOrFail(const QByteArray& bytes) {
    auto result = Document::open(bytes);
    if (!result)
        qFatal("open failed: %s", qPrintable(result.error().message));
    return result.value();
}

QStringList pageTexts(Document& d) {
    QStringList texts;
    for (int i = 0; i < d.pageCount(); ++i)
        texts << d.pageText(i).value().trimmed();
    return texts;
}

// The darkest pixel's position: where the page's one line of text sits in a render.
QPoint inkCentre(const QImage& image) {
    qint64 sx = 0, sy = 0, n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                sx += x;
                sy += y;
                ++n;
            }
    return n ? QPoint(int(sx / n), int(sy / n)) : QPoint(-1, -1);
}

} // namespace

class TestPdfDocument : public QObject {
    Q_OBJECT

private slots:
    void opensAndCountsPages() {
        auto d = openOrFail(fixtures::makeTextPdf(3));
        QCOMPARE(d->pageCount(), 3);
        QVERIFY(!d->isLocked());
        QVERIFY(!d->isEncrypted());
        QCOMPARE(pageTexts(*d), QStringList({"Page 1", "Page 2", "Page 3"}));
    }

    void serialsAreNeverReused() {
        quint64 last = 0;
        for (int i = 0; i < 3; ++i) {
            auto d = Document::createEmpty();
            QVERIFY(d->serial() > last);
            last = d->serial();
        }
        QCOMPARE(Document::createEmpty()->pageCount(), 0);
    }

    void encryptedDocumentNeedsPassword() {
        auto plain = openOrFail(fixtures::makeTextPdf(2, "secret"));
        SaveOptions options{SaveOptions::Encryption::Aes256, "user", "owner"};
        const QByteArray bytes = plain->save(options).value();

        auto locked = openOrFail(bytes);
        QVERIFY(locked->isEncrypted());
        QVERIFY(locked->isLocked());
        QCOMPARE(locked->pageCount(), 0);
        QVERIFY(!locked->render(0, 1).ok());
        QCOMPARE(locked->render(0, 1).error().kind, Error::Kind::NeedsPassword);

        QVERIFY(!locked->authenticate("wrong"));
        QVERIFY(locked->isLocked());
        QVERIFY(!locked->authenticate(""));
        QVERIFY(locked->authenticate("user"));
        QVERIFY(!locked->isLocked());
        QVERIFY(!locked->isOwnerUnlocked());
        QCOMPARE(locked->pageCount(), 2);
        QCOMPARE(locked->pageText(1).value().trimmed(), QString("Page 2 secret"));

        auto owner = openOrFail(bytes);
        QVERIFY(owner->authenticate("owner"));
        QVERIFY(owner->isOwnerUnlocked());
        QVERIFY(owner->hasPermission(Permission::Modify));
    }

    void pageIdentitySurvivesRemoveAndInsert() {
        auto d = openOrFail(fixtures::makeTextPdf(4));
        const PageHandle second = d->page(1);
        QVERIFY(!second.isNull());
        const quint64 revision = d->revision();

        auto removed = d->removePage(1);
        QVERIFY(removed.ok());
        QCOMPARE(removed.value(), second);
        QVERIFY(d->revision() > revision);
        QCOMPARE(d->indexOf(second), -1);
        QCOMPARE(pageTexts(*d), QStringList({"Page 1", "Page 3", "Page 4"}));

        QVERIFY(d->insertPage(second, 3).ok());
        QCOMPARE(d->indexOf(second), 3);
        QCOMPARE(d->page(3), second);
        QCOMPARE(pageTexts(*d), QStringList({"Page 1", "Page 3", "Page 4", "Page 2"}));

        QVERIFY(d->movePage(3, 0).ok());
        QCOMPARE(d->page(0), second);
        QCOMPARE(pageTexts(*d), QStringList({"Page 2", "Page 1", "Page 3", "Page 4"}));

        QVERIFY(!d->removePage(9).ok());
        QVERIFY(!d->insertPage(PageHandle(), 0).ok());
    }

    void copiedPagesKeepAnnotationsAndFields() {
        DocSpec spec;
        spec.pages = {PageSpec{"Form page", {0, 0, 612, 792}, {}, 0, true, true}};
        auto source = openOrFail(fixtures::makePdf(spec));
        auto target = openOrFail(fixtures::makeTextPdf(2));
        int failures = -1;
        auto pages = target->copyPages(*source, {0, 5}, 1, &failures);
        QCOMPARE(int(pages.size()), 1);
        QCOMPARE(failures, 1);
        QCOMPARE(target->indexOf(pages[0]), 1);
        QCOMPARE(pageTexts(*target), QStringList({"Page 1", "Form page", "Page 2"}));
        auto annots = target->annotations(1).value();
        QStringList kinds;
        for (const auto& a : annots)
            kinds << a.subtype;
        QCOMPARE(kinds, QStringList({"Text", "Widget"}));

        // The field is a field of the target's form after a save and reopen.
        auto reopened = openOrFail(target->save().value());
        const QByteArray saved = reopened->save(SaveOptions{SaveOptions::Encryption::None}).value();
        QVERIFY(fixtures::inflatedStreams(saved).size() > 0);
        QVERIFY(fixtures::searchable(saved).contains("/AcroForm"));
        QVERIFY(fixtures::searchable(saved).contains("/Fields"));
    }

    void geometryAndRenderSizes_data() {
        QTest::addColumn<QRectF>("media");
        QTest::addColumn<QRectF>("crop");
        QTest::addColumn<int>("rotate");
        QTest::addColumn<double>("userUnit");
        QTest::addColumn<int>("turned"); // the rotation the engine draws
        QTest::addColumn<QSize>("size"); // at scale 2
        const QRectF letter(0, 0, 612, 792);
        QTest::newRow("letter") << letter << QRectF() << 0 << 1.0 << 0 << QSize(1224, 1584);
        QTest::newRow("rotated 90") << letter << QRectF() << 90 << 1.0 << 90 << QSize(1584, 1224);
        QTest::newRow("rotated 270") << letter << QRectF() << 270 << 1.0 << 270 << QSize(1584, 1224);
        QTest::newRow("rotated 180") << letter << QRectF() << 180 << 1.0 << 180 << QSize(1224, 1584);
        QTest::newRow("rotated -90") << letter << QRectF() << -90 << 1.0 << 270 << QSize(1584, 1224);
        // Not a quarter turn: the engine rounds it, and so must the layout or the ink is cut off.
        QTest::newRow("rotated 45") << letter << QRectF() << 45 << 1.0 << 90 << QSize(1584, 1224);
        QTest::newRow("rotated 135") << letter << QRectF() << 135 << 1.0 << 180 << QSize(1224, 1584);
        QTest::newRow("cropped") << letter << QRectF(50, 400, 350, 792) << 0 << 1.0 << 0 << QSize(700, 784);
        QTest::newRow("cropped and turned")
            << letter << QRectF(50, 400, 350, 792) << 90 << 1.0 << 90 << QSize(784, 700);
        QTest::newRow("crop beyond media")
            << QRectF(0, 0, 200, 300) << QRectF(-50, -50, 100, 400) << 0 << 1.0 << 0 << QSize(100, 600);
        QTest::newRow("user unit 2") << QRectF(0, 0, 200, 800) << QRectF() << 0 << 2.0 << 0
                                     << QSize(800, 3200);
        QTest::newRow("user unit 2 turned")
            << QRectF(0, 0, 200, 800) << QRectF() << 90 << 2.0 << 90 << QSize(3200, 800);
    }

    void geometryAndRenderSizes() {
        QFETCH(QRectF, media);
        QFETCH(QRectF, crop);
        QFETCH(int, rotate);
        QFETCH(double, userUnit);
        QFETCH(int, turned);
        QFETCH(QSize, size);
        DocSpec spec;
        PageSpec page{"Hello", media, crop, rotate};
        page.userUnit = userUnit;
        spec.pages = {page};
        auto d = openOrFail(fixtures::makePdf(spec));
        const PageGeometry g = d->geometry(0).value();
        QCOMPARE(g.rotation, turned);
        QCOMPARE(g.userUnit, userUnit);
        QCOMPARE(g.mediaBox, media);
        QCOMPARE((g.displaySize() * 2).toSize(), size);
        const QImage image = d->render(0, 2).value();
        QCOMPARE(image.size(), size);

        // The text drawn at (72, 700) lands where our own page-to-image transform says it does.
        const QPoint ink = inkCentre(image);
        if (g.cropBox.contains(QPointF(90, 704))) {
            const QPointF expected = g.pageToImage(2).map(QPointF(90, 704));
            QVERIFY2((QPointF(ink) - expected).manhattanLength() < 40,
                     qPrintable(QString("ink %1,%2 expected %3,%4")
                                    .arg(ink.x())
                                    .arg(ink.y())
                                    .arg(expected.x())
                                    .arg(expected.y())));
        }
    }

    // Read in one pass, each page of a run has its own geometry, in order; pages beyond the document are
    // errors in their places.
    void geometriesOfARunOfPages() {
        DocSpec spec;
        for (int i = 0; i < 20; ++i)
            spec.pages.append(
                PageSpec{QString::number(i), QRectF(0, 0, 300 + 10 * i, 400), QRectF(), 90 * (i % 4)});
        auto d = openOrFail(fixtures::makePdf(spec));
        for (const auto& [first, last] :
             {std::pair{0, 19}, std::pair{5, 7}, std::pair{3, 18}, std::pair{18, 21}}) {
            const auto run = d->geometries(first, last);
            QCOMPARE(int(run.size()), last - first + 1);
            for (int i = first; i <= last; ++i) {
                const auto& got = run[std::size_t(i - first)];
                QCOMPARE(got.ok(), i < 20);
                if (!got)
                    continue;
                QCOMPARE(got.value().mediaBox, QRectF(0, 0, 300 + 10 * i, 400));
                QCOMPARE(got.value().rotation, 90 * (i % 4));
            }
        }
        QVERIFY(d->geometries(4, 3).empty());
    }

    void displayListRendersTilesOffThread() {
        auto d = openOrFail(fixtures::makeTextPdf(1));
        DisplayList list = d->displayList(0).value();
        QImage tile;
        std::thread worker([&] { tile = list.render(1.0, QRect(0, 0, 300, 120)); });
        worker.join();
        QCOMPARE(tile.size(), QSize(300, 120));
        QVERIFY(inkCentre(tile).x() > 60); // "Page 1" sits at 72 pt from the left, 92 pt from the top
        QVERIFY(list.render(1.0, QRect(700, 900, 10, 10)).isNull());
    }

    void structuredTextHasBoxesInPageSpace() {
        auto d = openOrFail(fixtures::makeTextPdf(1, "word"));
        const StructuredText text = d->structuredText(0).value();
        QCOMPARE(int(text.blocks.size()), 1);
        const TextLine& line = text.blocks[0].lines.at(0);
        QCOMPARE(line.text(), QString("Page 1 word"));
        const TextChar& p = line.chars.at(0);
        QCOMPARE(p.character, char32_t('P'));
        QVERIFY(p.fontName.contains("Helvetica"));
        QCOMPARE(qRound(p.fontSize), 12);
        // Baseline at y 700 in a y-up space: the box straddles it, starting at x 72.
        QVERIFY(qAbs(p.box.left() - 72) < 1);
        QVERIFY(p.box.top() < 700 && p.box.bottom() > 700);

        auto hits = d->search(0, "WORD").value();
        QCOMPARE(int(hits.size()), 1);
        QVERIFY(hits[0].left() > p.box.right());
        QVERIFY(d->search(0, "absent").value().empty());
    }

    void annotationRemovedAndPutBackIsTheSameObject() {
        DocSpec spec;
        spec.pages = {PageSpec{"Notes", {0, 0, 612, 792}, {}, 0, true, true}};
        auto d = openOrFail(fixtures::makePdf(spec));
        auto before = d->annotations(0).value();
        QCOMPARE(int(before.size()), 2);
        QCOMPARE(before[0].subtype, QString("Text"));
        QCOMPARE(before[0].contents, QString("Remember"));
        QCOMPARE(before[0].rect, QRectF(100, 100, 20, 20));

        const AnnotationHandle note = before[0].handle;
        const int position = d->removeAnnotation(0, note).value();
        QCOMPARE(position, 0);
        QCOMPARE(int(d->annotations(0).value().size()), 1);
        QVERIFY(!d->removeAnnotation(0, note).ok());

        QVERIFY(d->restoreAnnotation(0, note, position).ok());
        auto after = d->annotations(0).value();
        QCOMPARE(int(after.size()), 2);
        QCOMPARE(after[0].handle, note);
        QCOMPARE(after[0].contents, QString("Remember"));

        // Still there after a save and reopen.
        auto reopened = openOrFail(d->save().value());
        QCOMPARE(int(reopened->annotations(0).value().size()), 2);
    }

    void outlineRoundTrip() {
        DocSpec spec;
        spec.pages = {PageSpec{"A"}, PageSpec{"B"}, PageSpec{"C"}};
        spec.withOutline = true;
        auto d = openOrFail(fixtures::makePdf(spec));
        auto outline = d->outline();
        QCOMPARE(int(outline.size()), 2);
        QCOMPARE(outline[0].title, QString("First"));
        QCOMPARE(outline[0].pageIndex, 0);
        QCOMPARE(outline[1].pageIndex, 1);
        QCOMPARE(outline[1].children.at(0).title, QString("Child"));

        std::vector<OutlineItem> edited = outline;
        edited.push_back(OutlineItem{QString::fromUtf8("Été – chapter 3"), 2, {}, false, {}});
        edited[1].children.push_back(OutlineItem{"Site", -1, "https://example.org/", false, {}});
        QVERIFY(d->setOutline(edited).ok());
        auto reopened = openOrFail(d->save().value());
        QCOMPARE(reopened->outline(), edited);

        QVERIFY(reopened->setOutline({}).ok());
        QVERIFY(reopened->outline().empty());
    }

    void infoRoundTrip() {
        auto d = openOrFail(fixtures::makeTextPdf(1)); // no Info dictionary at all
        QCOMPARE(d->infoValue("Title"), QString());
        QVERIFY(d->setInfoValue("Title", QString::fromUtf8("Über π")).ok());
        QVERIFY(d->setInfoValue("Author", "Ada").ok());
        auto reopened = openOrFail(d->save().value());
        QCOMPARE(reopened->infoValue("Title"), QString::fromUtf8("Über π"));
        QCOMPARE(reopened->infoValue("Author"), QString("Ada"));
        QVERIFY(reopened->setInfoValue("Author", "").ok());
        QCOMPARE(openOrFail(reopened->save().value())->infoValue("Author"), QString());
    }

    // Pictures become pages of their own: pixels stored Flate-compressed with their opacity as a soft mask,
    // JPEG data as it is, and a picture page put in place of another keeps that page's boxes and rotation.
    void imagePages() {
        auto document = Document::createEmpty();
        QImage translucent(40, 20, QImage::Format_ARGB32);
        translucent.fill(qRgba(0, 0, 255, 128));
        const QTransform fill = QTransform::fromScale(200, 100);
        QVERIFY(insertImagePage(*document, -1, {{0, 0, 200, 100}, {}, 0, {{}, translucent, fill}}));
        QImage opaque(10, 10, QImage::Format_RGB32);
        opaque.fill(Qt::red);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(opaque.save(&buffer, "JPEG", 90));
        const auto first = insertImagePage(*document, 0, {{0, 0, 50, 50}, {}, 0, {jpeg, {}, fill}});
        QVERIFY(first);
        QCOMPARE(document->page(0), first.value());
        QCOMPARE(document->pageCount(), 2);
        QCOMPARE(document->geometry(1).value().mediaBox, QRectF(0, 0, 200, 100));
        // Half-transparent blue over white.
        const QColor shown = document->render(1, 1).value().pixelColor(100, 50);
        QVERIFY2(qAbs(shown.red() - 127) < 6 && shown.blue() > 250, qPrintable(shown.name()));
        const QByteArray saved = document->save().value();
        QVERIFY(saved.contains(jpeg));
        QCOMPARE(saved.count("/SMask"), 1);

        auto turned =
            Document::open(fixtures::makePdf({{{"x", {0, 0, 612, 792}, {50, 60, 400, 500}, 270}}})).value();
        const auto original = replaceWithImagePage(*turned, 0, opaque, {50, 60, 400, 500});
        QVERIFY(original);
        QVERIFY(turned->indexOf(original.value()) < 0);
        const PageGeometry g = turned->geometry(0).value();
        QCOMPARE(g.cropBox, QRectF(50, 60, 400, 500));
        QCOMPARE(g.rotation, 270);
        QCOMPARE(turned->render(0, 1).value().pixelColor(200, 100), QColor(Qt::red));
        QVERIFY(!insertImagePage(*turned, -1, {{0, 0, 10, 10}, {}, 0, {}}));
    }
};

QTEST_GUILESS_MAIN(TestPdfDocument)
#include "test_pdf_document.moc"
