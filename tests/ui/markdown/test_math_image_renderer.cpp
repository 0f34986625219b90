// The formula image renderer: its cache key, hits, misses and eviction, the memory-pressure clearing, the
// crop to the ink, device pixel ratios, formulas too big for any fixed canvas, images drawn as the formula
// view draws them, and formulas typeset on worker threads.
#include "core/MemoryPressureMonitor.h"
#include "ui/markdown/MathImageRenderer.h"
#include "view/MTMathUILabel.h"

#include <QtTest>

using namespace zepla;
namespace Renderer = zepla::ui::MathImageRenderer;

namespace {

// A transparent image with opaque ink over `inked`.
QImage synthetic(QSize size, QRect inked, int alpha = 255) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = inked.top(); y <= inked.bottom(); ++y)
        for (int x = inked.left(); x <= inked.right(); ++x)
            image.setPixel(x, y, qRgba(0, 0, 0, alpha));
    return image;
}

// True when no pixel within `margin` of an edge is drawn.
bool hasClearBorder(const QImage& image, int margin) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool border =
                x < margin || y < margin || x >= image.width() - margin || y >= image.height() - margin;
            if (border && qAlpha(image.pixel(x, y)) >= Renderer::inkAlpha)
                return false;
        }
    return true;
}

// The rows holding ink in one column, as the first and last; {-1, -1} for a blank column.
std::pair<int, int> inkRows(const QImage& image, int x) {
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (qAlpha(image.pixel(x, y)) < Renderer::inkAlpha)
            continue;
        if (first < 0)
            first = y;
        last = y;
    }
    return {first, last};
}

// The column whose ink reaches furthest down and up among the first or last `count` columns: a bar there.
std::pair<int, int> barRows(const QImage& image, bool left, int count) {
    std::pair<int, int> bar{-1, -1};
    for (int i = 0; i < count; ++i) {
        const auto rows = inkRows(image, left ? i : image.width() - 1 - i);
        if (rows.first >= 0 && rows.second - rows.first > bar.second - bar.first)
            bar = rows;
    }
    return bar;
}

// The formula drawn by the formula view itself, on a canvas of its fitting size at `ratio`.
QImage drawnByTheView(const QString& latex, qreal fontSize, const QColor& color, qreal ratio) {
    math::MTMathUILabel label;
    label.setFontSize(fontSize);
    label.setTextColor(color);
    label.setLatex(latex);
    const qreal padding = fontSize / 2;
    label.setContentInsets({padding, padding, padding, padding});
    label.resize(label.sizeHint());
    label.layoutIfNeeded();
    QImage canvas(label.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::transparent);
    label.render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
    return canvas;
}

// Formulas of every kind of drawing: runs, glyph assemblies, rules, colours, a character only a text font
// has, primes.
QStringList formulasOfEveryKind() {
    return {QStringLiteral("x^2+y_1=\\frac{a}{b}"),
            QStringLiteral("\\left(\\sum_{k=1}^{n} \\frac{1}{k^2}\\right)^{\\!2} \\sqrt[3]{x+1}"),
            QStringLiteral("\\begin{pmatrix} a & b \\\\ c & d \\end{pmatrix} \\overline{AB} \\hat{x}"),
            QStringLiteral("\\color{#ff0000}{f'(x)} + \\colorbox{#00ff00}{g''} + \\text{м/с}"),
            QStringLiteral("\\int_0^\\infty e^{-x^2}\\,dx = \\frac{\\sqrt{\\pi}}{2}")};
}

// The image's pixels, whatever its format.
QImage pixels(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

class TestMathImageRenderer : public QObject {
    Q_OBJECT

private slots:
    void init() { Renderer::removeAllObjects(); }

    void keysWriteNumbersInTheirShortestForm_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 15.0 << "15.0";
        QTest::newRow("zero") << 0.0 << "0.0";
        QTest::newRow("half") << 0.5 << "0.5";
        QTest::newRow("tenth") << 0.1 << "0.1";
        QTest::newRow("a byte") << 128 / 255.0 << "0.5019607843137255";
        QTest::newRow("small") << 1e-05 << "1e-05";
        QTest::newRow("large whole") << 100000.0 << "100000.0";
        QTest::newRow("huge") << 1e16 << "1e+16";
    }
    void keysWriteNumbersInTheirShortestForm() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(Renderer::keyNumber(value), text);
    }

    void keysJoinLatexSizeAndColour() {
        QCOMPARE(Renderer::cacheKey(QStringLiteral("x^2"), 15, Qt::black),
                 QStringLiteral("x^2|15.0|0.0,0.0,0.0,1.0"));
        QCOMPARE(Renderer::cacheKey(QStringLiteral("a|b"), 22, QColor(255, 0, 0, 0)),
                 QStringLiteral("a|b|22.0|1.0,0.0,0.0,0.0"));
        QCOMPARE(Renderer::cacheKey(QStringLiteral("x"), 17, Qt::white, 2),
                 QStringLiteral("x|17.0|1.0,1.0,1.0,1.0|2.0"));
    }

    void theSameRequestRendersOnceOthersApart() {
        const auto first = Renderer::render(QStringLiteral("x^2"), 15, Qt::black, 1);
        QVERIFY(first);
        QCOMPARE(Renderer::count(), 1);
        const auto again = Renderer::render(QStringLiteral("x^2"), 15, Qt::black, 1);
        QCOMPARE(again->cacheKey(), first->cacheKey());
        QCOMPARE(Renderer::count(), 1);

        QVERIFY(Renderer::render(QStringLiteral("x^2"), 17, Qt::black, 1));
        QVERIFY(Renderer::render(QStringLiteral("x^2"), 15, Qt::blue, 1));
        QVERIFY(Renderer::render(QStringLiteral("x^2"), 15, Qt::black, 2));
        QCOMPARE(Renderer::count(), 4);
    }

    void theCacheKeepsFiveHundred() {
        for (int i = 0; i <= Renderer::countLimit; ++i)
            QVERIFY(Renderer::render(QStringLiteral("x_{%1}").arg(i), 15, Qt::black, 1));
        QCOMPARE(Renderer::count(), Renderer::countLimit);
    }

    void memoryPressureEmptiesTheCache() {
        Renderer::install();
        QVERIFY(Renderer::render(QStringLiteral("a+b"), 15, Qt::black, 1));
        QCOMPARE(Renderer::count(), 1);
        platform::MemoryPressureMonitor::shared().simulatePressureEvent();
        QCOMPARE(Renderer::count(), 0);
        QVERIFY(Renderer::render(QStringLiteral("a+b"), 15, Qt::black, 1));
        QCOMPARE(Renderer::count(), 1);
    }

    void nothingDrawnGivesNoImageAndNothingCached_data() {
        QTest::addColumn<QString>("latex");
        QTest::newRow("empty") << QString();
        QTest::newRow("blank") << QStringLiteral("   ");
        QTest::newRow("unparsable") << QStringLiteral("\\frac{1}{");
        QTest::newRow("unknown command") << QStringLiteral("\\notacommand x");
    }
    void nothingDrawnGivesNoImageAndNothingCached() {
        QFETCH(QString, latex);
        QVERIFY(!Renderer::render(latex, 15, Qt::black, 1));
        QCOMPARE(Renderer::count(), 0);
    }

    void theCropKeepsAThreePixelBorderClippedAtTheEdges_data() {
        QTest::addColumn<QRect>("inked");
        QTest::addColumn<QRect>("crop");
        // A 40 × 20 bitmap.
        QTest::newRow("inside") << QRect(10, 8, 5, 3) << QRect(7, 5, 11, 9);
        QTest::newRow("at the left edge") << QRect(1, 8, 5, 3) << QRect(0, 5, 11, 9);
        QTest::newRow("at the top edge") << QRect(10, 0, 5, 3) << QRect(7, 0, 11, 9);
        QTest::newRow("at the right edge") << QRect(36, 8, 4, 3) << QRect(33, 5, 7, 9);
        QTest::newRow("at the bottom edge") << QRect(10, 18, 5, 2) << QRect(7, 15, 11, 5);
        QTest::newRow("everywhere") << QRect(0, 0, 40, 20) << QRect(0, 0, 40, 20);
        QTest::newRow("one pixel") << QRect(20, 10, 1, 1) << QRect(17, 7, 7, 7);
    }
    void theCropKeepsAThreePixelBorderClippedAtTheEdges() {
        QFETCH(QRect, inked);
        QFETCH(QRect, crop);
        const QImage bitmap = synthetic(QSize(40, 20), inked);
        QCOMPARE(Renderer::contentRect(bitmap), std::optional<QRect>(crop));
        QCOMPARE(Renderer::trimmedToContent(bitmap)->size(), crop.size());
    }

    void faintPixelsAreNotInk() {
        QVERIFY(!Renderer::contentRect(synthetic(QSize(10, 10), QRect(2, 2, 3, 3), 10)));
        QVERIFY(Renderer::contentRect(synthetic(QSize(10, 10), QRect(2, 2, 3, 3), 11)));
        QVERIFY(!Renderer::trimmedToContent(synthetic(QSize(10, 10), QRect())));
    }

    void imagesAreTightAroundTheInk() {
        const auto image = Renderer::render(QStringLiteral("x^2+y^2"), 15, Qt::black, 1);
        QVERIFY(image);
        QVERIFY(hasClearBorder(*image, 3));
        QVERIFY(!hasClearBorder(*image, 4));
    }

    void aRatioOfTwoGivesTwiceThePixelsAtTheSameSize() {
        const auto single = Renderer::render(QStringLiteral("\\alpha_i+\\beta^2"), 17, Qt::black, 1);
        const auto twice = Renderer::render(QStringLiteral("\\alpha_i+\\beta^2"), 17, Qt::black, 2);
        QVERIFY(single && twice);
        QCOMPARE(twice->devicePixelRatio(), 2.0);
        QVERIFY(qAbs(twice->width() - 2 * single->width()) <= 3);
        QVERIFY(qAbs(twice->height() - 2 * single->height()) <= 3);
        QVERIFY(qAbs(twice->deviceIndependentSize().width() - single->width()) <= 1.5);
        QVERIFY(hasClearBorder(*twice, 6));
    }

    // The image carries where the formula's baseline lies: an x without depth stands on it, a y reaches
    // below by its descender; both with the clear border under them.
    void theBaselineTravelsWithTheImage_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1") << 1.0;
        QTest::newRow("1.5") << 1.5;
        QTest::newRow("2") << 2.0;
    }
    void theBaselineTravelsWithTheImage() {
        QFETCH(qreal, ratio);
        const auto x = Renderer::renderUncached(QStringLiteral("x"), 20, Qt::black, ratio);
        const auto y = Renderer::renderUncached(QStringLiteral("y"), 20, Qt::black, ratio);
        QVERIFY(x && y);
        // Below the baseline: the border, and at most a row of the letter's overshoot and smoothing.
        QVERIFY2(std::abs(Renderer::depthBelowBaseline(*x) - Renderer::cropMargin - 0.5) < 1,
                 qPrintable(QString::number(Renderer::depthBelowBaseline(*x))));
        QVERIFY(Renderer::depthBelowBaseline(*y) > Renderer::cropMargin + 3);
        QCOMPARE(Renderer::depthBelowBaseline(QImage(4, 4, QImage::Format_ARGB32)), 0.0);
    }

    // The bars of a determinant are whole at every size and ratio: both reach from the top of the matrix
    // to its bottom.
    void determinantBarsAreWhole() {
        const QString latex =
            QStringLiteral("\\begin{vmatrix} 2-\\lambda & 1 \\\\ 1 & 2-\\lambda \\end{vmatrix}");
        for (qreal ratio : {1.0, 1.25, 1.5, 2.0}) {
            for (int size = 12; size <= 40; size += 2) {
                const auto image = Renderer::renderUncached(latex, size, Qt::black, ratio);
                QVERIFY(image);
                const int border = int(std::lround(Renderer::cropMargin * ratio));
                const int columns = int(std::ceil(0.2 * size * ratio));
                const auto left = barRows(*image, true, border + columns);
                const auto right = barRows(*image, false, border + columns);
                const QString where = QStringLiteral("%1 pt at ratio %2: bars %3-%4 and %5-%6 in %7 rows")
                                          .arg(size)
                                          .arg(ratio)
                                          .arg(left.first)
                                          .arg(left.second)
                                          .arg(right.first)
                                          .arg(right.second)
                                          .arg(image->height());
                // The crop keeps its border round the ink, which the bars span from top to bottom.
                QVERIFY2(left.first >= 0 && left.first <= border + 1, qPrintable(where));
                QVERIFY2(left.second >= image->height() - border - 2, qPrintable(where));
                QVERIFY2(std::abs(left.first - right.first) <= 1 && std::abs(left.second - right.second) <= 1,
                         qPrintable(where));
            }
        }
    }

    void largeFormulasAreNotClipped_data() {
        QTest::addColumn<QString>("latex");
        QStringList rows;
        for (int row = 1; row <= 40; ++row)
            rows << QStringLiteral("a_{%1}+b_{%1} & c_{%1}+d_{%1}").arg(row);
        QTest::newRow("40-row matrix")
            << QStringLiteral("\\begin{matrix}%1\\end{matrix}").arg(rows.join(" \\\\ "));
        QStringList terms;
        for (int term = 1; term <= 100; ++term)
            terms << QStringLiteral("x_{%1}").arg(term);
        QTest::newRow("long equation") << terms.join('+');
    }
    void largeFormulasAreNotClipped() {
        QFETCH(QString, latex);
        const auto image = Renderer::render(latex, 22, Qt::black, 1);
        QVERIFY(image);
        // Wider or taller than any fixed canvas of 2000 × 400 points, with its border whole on every side.
        QVERIFY(image->width() > 2000 || image->height() > 400);
        QVERIFY(hasClearBorder(*image, 3));
    }

    // The renderer lays the formula out, places and draws it as the formula view does, without a view: its
    // image is the view's drawing cropped to the ink.
    void imagesAreTheFormulaViewsDrawing_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<qreal>("ratio");
        for (const QString& latex : formulasOfEveryKind()) {
            QTest::addRow("%s at 1", qPrintable(latex)) << latex << 1.0;
            QTest::addRow("%s at 2", qPrintable(latex)) << latex << 2.0;
        }
    }
    void imagesAreTheFormulaViewsDrawing() {
        QFETCH(QString, latex);
        QFETCH(qreal, ratio);
        const QColor blue(20, 60, 200);
        const auto image = Renderer::renderUncached(latex, 17, blue, ratio);
        QVERIFY(image);
        const auto fromView = Renderer::trimmedToContent(drawnByTheView(latex, 17, blue, ratio));
        QVERIFY(fromView);
        QCOMPARE(pixels(*image), pixels(*fromView));
    }

    // Large formulas are typeset on worker threads, several at once, with the fonts every thread shares:
    // each image is the one the main thread draws, and it is cached when it comes.
    void backgroundImagesAreTheSameImages() {
        struct Request {
            QString latex;
            qreal ratio;
            std::optional<QImage> image;
            int calls = 0;
        };
        std::vector<Request> requests;
        for (const QString& latex : formulasOfEveryKind())
            for (const qreal ratio : {1.0, 2.0})
                requests.push_back({latex, ratio, std::nullopt});
        QObject context;
        for (Request& request : requests)
            Renderer::renderInBackground(request.latex, 22, Qt::black, request.ratio, &context,
                                         [&request](const std::optional<QImage>& image) {
                                             request.image = image;
                                             ++request.calls;
                                         });
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(requests.begin(), requests.end(),
                                             [](const Request& request) { return request.calls > 0; }),
                                 60000);
        for (const Request& request : requests) {
            QCOMPARE(request.calls, 1);
            QVERIFY(request.image);
            const auto drawnHere = Renderer::renderUncached(request.latex, 22, Qt::black, request.ratio);
            QCOMPARE(pixels(*request.image), pixels(*drawnHere));
            QCOMPARE(request.image->text(Renderer::baselineKey), drawnHere->text(Renderer::baselineKey));
            QVERIFY(Renderer::cached(Renderer::cacheKey(request.latex, 22, Qt::black, request.ratio)));
        }
        QCOMPARE(Renderer::count(), int(requests.size()));
    }

    // Every caller of a formula asked for again while it is typeset gets the one image, but for those gone
    // meanwhile; a formula that does not parse gives none and is not cached.
    void backgroundRequestsShareOneTypesetting() {
        int calls = 0;
        QList<std::optional<QImage>> images;
        QObject first;
        QObject second;
        auto gone = std::make_unique<QObject>();
        const auto record = [&](const std::optional<QImage>& image) {
            ++calls;
            images << image;
        };
        Renderer::renderInBackground(QStringLiteral("a^2+b^2"), 15, Qt::black, 1, &first, record);
        Renderer::renderInBackground(QStringLiteral("a^2+b^2"), 15, Qt::black, 1, gone.get(), record);
        Renderer::renderInBackground(QStringLiteral("a^2+b^2"), 15, Qt::black, 1, &second, record);
        gone.reset();
        QTRY_COMPARE(calls, 2);
        QCOMPARE(images.front()->cacheKey(), images.back()->cacheKey());
        QCOMPARE(Renderer::count(), 1);

        Renderer::renderInBackground(QStringLiteral("\\frac{1}{"), 15, Qt::black, 1, &first, record);
        QTRY_COMPARE(calls, 3);
        QVERIFY(!images.back());
        QCOMPARE(Renderer::count(), 1);
    }

    void aFormulaBeyondTheBoundIsCutToIt() {
        QString latex;
        for (int i = 0; i < 2000; ++i)
            latex += QStringLiteral("x+");
        latex += 'x';
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^A formula of .* is cut to"));
        const auto image = Renderer::renderUncached(latex, 15, Qt::black, 1);
        QVERIFY(image);
        QVERIFY(image->width() <= Renderer::maxCanvasSide);
        QVERIFY(qint64(image->width()) * image->height() <= Renderer::maxCanvasPixels);
    }
};

QTEST_MAIN(TestMathImageRenderer)
#include "test_math_image_renderer.moc"
