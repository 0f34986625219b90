// Annotations that carry text or a picture read upright on pages shown turned 90, 180 and 270 degrees: a
// text box, a note, a signature, a checked checkbox and a watermark placed where the reader sees them on a
// turned square page look, in Zepla's render and in poppler's, as they look on the same page unturned.
// Their rectangles stay in page space, where the reader sees them.
#include "ExternalTool.h"
#include "PdfFixtures.h"
#include "TestDocuments.h"
#include "annotations/AnnotationTool.h"
#include "annotations/FormFieldPlacer.h"
#include "annotations/FreeTextAnnotation.h"
#include "annotations/NoteAnnotation.h"
#include "annotations/SignatureAnnotation.h"
#include "annotations/WatermarkAnnotation.h"
#include "pdf/PageTurn.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace zepla;
using namespace zepla::annotations;
using testdocs::open;

namespace {

constexpr qreal side = 400; // the page is square, so it shows the same size however it is turned
constexpr double scale = 1;

// A picture with a top, a bottom, a left and a right: an "F" in black on white.
QImage signatureImage() {
    QImage image(200, 100, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(20, 10, 20, 80, Qt::black);
    painter.fillRect(20, 10, 150, 18, Qt::black);
    painter.fillRect(20, 45, 90, 16, Qt::black);
    return image;
}

using Make = std::function<std::shared_ptr<Annotation>(const QRectF& bounds)>;

int inkPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qGray(image.pixel(x, y)) < 160;
    return count;
}

// The pixels whose grey differs by more than 80, as a share of the reference's inked pixels: the picture
// turned or moved differs in most of them, edges smoothed a little differently in few.
double differingShare(const QImage& shown, const QImage& reference) {
    if (shown.size() != reference.size())
        return 1;
    qint64 differing = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            differing += std::abs(qGray(shown.pixel(x, y)) - qGray(reference.pixel(x, y))) > 80;
    return double(differing) / std::max(inkPixels(reference), 1);
}

} // namespace

class TestUprightOnTurnedPages : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // The page turned by `rotation` with the annotation where the reader sees `shown` (y upward from the
    // shown page's lower left corner).
    std::shared_ptr<pdf::Document> turnedPage(int rotation, const Make& make, const QRectF& shown,
                                              pdf::AnnotationInfo* placed) {
        fixtures::PageSpec page{QString()};
        page.mediaBox = QRectF(0, 0, side, side);
        page.rotate = rotation;
        auto doc = open(fixtures::makePdf({{page}}));
        const QRectF upright = pdf::uprightRect(page.mediaBox, rotation);
        const QRectF bounds = pdf::pageRectFromUpright(shown.translated(upright.topLeft()), rotation);
        std::shared_ptr<Annotation> annotation = make(bounds);
        if (!writeNewAnnotation(*doc, 0, *annotation))
            qFatal("cannot write the annotation");
        if (annotation->subtype() == "Widget") {
            const auto widgets = doc->formWidgets(0).value();
            if (widgets.size() != 1 || !doc->toggleCheckbox(0, widgets.front().handle))
                qFatal("cannot check the box");
        }
        *placed = doc->annotations(0).value().front();
        return doc;
    }

    QImage poppler(const pdf::Document& doc, const QString& name) {
        const QString path = testdocs::saveTo(doc, m_dir.filePath(name + ".pdf"));
        if (runTool("pdftoppm", {"-png", "-r", QString::number(72 * scale), "-singlefile", path, path})
                .exitCode)
            qFatal("pdftoppm failed");
        return QImage(path + ".png").convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void readsUprightInEveryReader_data() {
        QTest::addColumn<Make>("make");
        QTest::addColumn<QRectF>("shown");
        QTest::newRow("text box") << Make([](const QRectF& b) {
            auto box = std::make_shared<FreeTextAnnotation>();
            box->bounds = b;
            box->contents = QStringLiteral("Upright words in a box");
            box->font = font(AnnotationFont::system, 18);
            return box;
        }) << QRectF(40, 250, 260, 60);
        QTest::newRow("note") << Make([](const QRectF& b) {
            auto note = std::make_shared<NoteAnnotation>();
            note->bounds = b;
            note->color = QColor(220, 40, 40);
            note->contents = QStringLiteral("Read me first");
            return note;
        }) << QRectF(60, 120, 120, 80);
        QTest::newRow("signature") << Make([](const QRectF& b) {
            return std::make_shared<SignatureAnnotation>(signatureImage(), b);
        }) << QRectF(150, 60, 160, 80);
        QTest::newRow("checked checkbox") << Make([](const QRectF& b) {
            return std::shared_ptr<Annotation>(
                FormFieldPlacer::makeAnnotation(FormFieldMode::checkbox, b, {}));
        }) << QRectF(250, 150, 60, 60);
        QTest::newRow("watermark") << Make([](const QRectF& b) {
            return std::make_shared<WatermarkAnnotation>(QStringLiteral("DRAFT COPY"), 0.6, b);
        }) << QRectF(0, 0, side, side);
    }
    void readsUprightInEveryReader() {
        QFETCH(Make, make);
        QFETCH(QRectF, shown);
        pdf::AnnotationInfo unturnedInfo;
        const auto unturned = turnedPage(0, make, shown, &unturnedInfo);
        const QImage reference = unturned->render(0, scale).value().convertToFormat(QImage::Format_RGB32);
        QVERIFY(inkPixels(reference) > 300);
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-');
        // Each reader against its own picture of the unturned page; the two pictures agree but for smoothing.
        const QImage popplerReference = poppler(*unturned, tag + "-0");
        QVERIFY2(differingShare(popplerReference, reference) < 0.2, "poppler, unturned");

        for (int rotation : {90, 180, 270}) {
            const QByteArray where = tag.toLatin1() + " turned " + QByteArray::number(rotation);
            pdf::AnnotationInfo info;
            const auto turned = turnedPage(rotation, make, shown, &info);
            // The rectangle is the area the reader sees, in page space.
            const QRectF expected = pdf::pageRectFromUpright(
                shown.translated(pdf::uprightRect(QRectF(0, 0, side, side), rotation).topLeft()), rotation);
            QVERIFY2(QLineF(info.rect.topLeft(), expected.topLeft()).length() < 0.01 &&
                         std::abs(info.rect.width() - expected.width()) < 0.01 &&
                         std::abs(info.rect.height() - expected.height()) < 0.01,
                     where.constData());

            const QImage ours = turned->render(0, scale).value().convertToFormat(QImage::Format_RGB32);
            const double share = differingShare(ours, reference);
            QVERIFY2(share < 0.05, (where + " in Zepla: " + QByteArray::number(share)).constData());
            const QImage theirs = poppler(*turned, tag + '-' + QString::number(rotation));
            const double popplerShare = differingShare(theirs, popplerReference);
            QVERIFY2(popplerShare < 0.05,
                     (where + " in poppler: " + QByteArray::number(popplerShare)).constData());
        }
    }
};

QTEST_MAIN(TestUprightOnTurnedPages)
#include "test_upright_on_turned_pages.moc"
