// Every symbol name the interface uses maps to an installed, drawable icon; unknown names still draw
// something.
#include "ui/theme/Symbols.h"

#include <QApplication>
#include <QFileInfo>
#include <QTest>

using namespace zepla::ui;

namespace {

// Every system symbol name that the windows, toolbars, sidebar, sheets and assistant panel ask for.
const QStringList usedNames{"arrow.clockwise",
                            "arrow.up",
                            "arrow.up.left.and.down.right.magnifyingglass",
                            "character.cursor.ibeam",
                            "checklist",
                            "checkmark",
                            "checkmark.circle.fill",
                            "chevron.down",
                            "chevron.up",
                            "circle",
                            "clock.arrow.circlepath",
                            "cursorarrow",
                            "doc.badge.plus",
                            "doc.on.doc",
                            "doc.text.fill",
                            "ellipsis",
                            "ellipsis.circle",
                            "eraser",
                            "exclamationmark.triangle.fill",
                            "eye.slash",
                            "gearshape",
                            "hand.thumbsdown",
                            "hand.thumbsup",
                            "highlighter",
                            "info.circle",
                            "line.diagonal",
                            "lock.doc",
                            "minus.magnifyingglass",
                            "note.text",
                            "paperclip",
                            "pencil.tip",
                            "plus",
                            "plus.magnifyingglass",
                            "questionmark.doc",
                            "rectangle",
                            "sidebar.left",
                            "signature",
                            "sparkles",
                            "speaker.wave.2",
                            "square.and.arrow.up",
                            "square.and.pencil",
                            "square.grid.2x2",
                            "strikethrough",
                            "text.magnifyingglass",
                            "text.viewfinder",
                            "textformat",
                            "trash",
                            "underline",
                            "xmark",
                            "xmark.circle.fill"};

int inkedPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0;
    return count;
}

} // namespace

class TestThemeSymbols : public QObject {
    Q_OBJECT

private slots:
    void everyUsedNameIsMapped() {
        for (const QString& name : usedNames)
            QVERIFY2(Symbols::isKnown(name), qPrintable(name));
        QCOMPARE(Symbols::names().size(), usedNames.size());
    }

    void everyMappedFileIsInstalledAndDraws() {
        for (const QString& name : Symbols::names()) {
            const Symbols::Source source = Symbols::source(name);
            for (const QString& file : {source.plain, source.filled}) {
                if (file.isEmpty())
                    continue;
                QVERIFY2(QFileInfo::exists(Symbols::locate(file)), qPrintable(name + " → " + file));
            }
            const QImage image = Symbols::pixmap(name, 24, Qt::black).toImage();
            QVERIFY2(inkedPixels(image) > 10, qPrintable(name));
        }
    }

    void drawsInTheGivenColourOnly() {
        const QImage image = Symbols::pixmap("pencil.tip", 32, QColor(255, 0, 0)).toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) == 255)
                    QCOMPARE(pixel, qRgb(255, 0, 0));
            }
    }

    void selectedControlsGetTheFilledVariantWhereOneExists() {
        const QImage plain = Symbols::pixmap("circle", 24, Qt::black, false).toImage();
        const QImage filled = Symbols::pixmap("circle", 24, Qt::black, true).toImage();
        QVERIFY(plain != filled);
        QVERIFY(inkedPixels(filled) > inkedPixels(plain) / 2);
        // Without a filled variant the plain icon serves both states.
        QCOMPARE(Symbols::pixmap("sparkles", 24, Qt::black, true).toImage(),
                 Symbols::pixmap("sparkles", 24, Qt::black, false).toImage());
    }

    // The shape tools draw outlines, and so do their symbols, selected or not: ink on the rim, none inside.
    void shapeToolSymbolsAreOutlines() {
        for (const char* name : {"rectangle", "circle"}) {
            for (const bool filled : {false, true}) {
                const QImage image = Symbols::pixmap(name, 32, Qt::black, filled).toImage();
                QVERIFY2(inkedPixels(image) > 40, name);
                QVERIFY2(qAlpha(image.pixel(16, 16)) == 0, name);
                QVERIFY2(qAlpha(image.pixel(12, 14)) == 0, name);
            }
        }
    }

    // The two ratings are one hand, pointing up and pointing down: mirror images of each other, the thumb
    // reaching the top of one and the bottom of the other.
    void ratingsAreThumbsUpAndDown() {
        const QImage up = Symbols::pixmap("hand.thumbsup", 32, Qt::black).toImage();
        const QImage down = Symbols::pixmap("hand.thumbsdown", 32, Qt::black).toImage();
        QVERIFY(inkedPixels(up) > 100);
        // Mirror images up to the smoothing of their edges.
        const QImage mirrored = up.mirrored(false, true);
        int differing = 0;
        for (int y = 0; y < up.height(); ++y)
            for (int x = 0; x < up.width(); ++x)
                differing += std::abs(qAlpha(mirrored.pixel(x, y)) - qAlpha(down.pixel(x, y))) > 96;
        QVERIFY2(differing * 30 < inkedPixels(up), qPrintable(QString::number(differing)));
        const auto inkInRows = [](const QImage& image, int from, int to) {
            int ink = 0;
            for (int y = from; y < to; ++y)
                for (int x = 0; x < image.width(); ++x)
                    ink += qAlpha(image.pixel(x, y)) > 128;
            return ink;
        };
        // The raised thumb is narrow, the fist below it wide.
        QVERIFY(inkInRows(up, 0, 12) * 2 < inkInRows(up, 20, 32));
    }

    void unknownNameDrawsAVisibleStandIn() {
        QVERIFY(!Symbols::isKnown("no.such.symbol"));
        const QImage image = Symbols::pixmap("no.such.symbol", 24, Qt::black).toImage();
        QVERIFY(inkedPixels(image) > 20);
        QVERIFY(!Symbols::icon("no.such.symbol", Qt::black).isNull());
    }

    void honoursTheDevicePixelRatio() {
        const QPixmap pixmap = Symbols::pixmap("plus", 16, Qt::black, false, 2.0);
        QCOMPARE(pixmap.size(), QSize(32, 32));
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
    }
};

QTEST_MAIN(TestThemeSymbols)
#include "test_theme_symbols.moc"
