// Text recognition over Tesseract: words and lines with their boxes, no threads of its own beyond the
// calling one, language data that is missing, and cancelling.
#include "ocr/TextRecognizer.h"

#include <QDir>
#include <QFont>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace zepla::ocr;

namespace {

// Two lines of text at 300 dpi: 50-pixel letters, the first baseline at (100, 200).
QImage twoLines() {
    QImage image(2000, 500, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(50);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(100, 200), QStringLiteral("Recognition reads words"));
    painter.drawText(QPointF(100, 300), QStringLiteral("and their places"));
    return image;
}

int threadCount() {
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

} // namespace

class TestTextRecognizer : public QObject {
    Q_OBJECT

private slots:
    void readsLinesAndWordsWithTheirBoxesOnTheCallingThreadAlone() {
        // The test runs without OMP_THREAD_LIMIT: each thread's engine keeps OpenMP from adding threads, on
        // the thread that loaded the library and on any other.
        QVERIFY(qEnvironmentVariableIsEmpty("OMP_THREAD_LIMIT"));
        int threads = threadCount();
        Recognition r = recognize(twoLines(), 300, QStringLiteral("eng"));
        QCOMPARE(threadCount(), threads);
        int workerThreads = 0;
        QThread* worker = QThread::create([&] {
            threads = threadCount();
            r = recognize(twoLines(), 300, QStringLiteral("eng"));
            workerThreads = threadCount();
        });
        worker->start();
        QVERIFY(worker->wait(120000));
        delete worker;
        QCOMPARE(workerThreads, threads);
        QVERIFY2(r.ok(), qPrintable(r ? QString() : r.error().message));
        const std::vector<Line>& lines = r.value();
        QCOMPARE(text(lines), QStringLiteral("Recognition reads words\nand their places"));
        QCOMPARE(lines.size(), std::size_t(2));
        const Word& first = lines[0].words[0];
        QCOMPARE(first.text, QStringLiteral("Recognition"));
        QVERIFY2(std::abs(first.box.left() - 100) < 8 && std::abs(first.box.bottom() - 200) < 15,
                 qPrintable(QStringLiteral("%1 %2").arg(first.box.left()).arg(first.box.bottom())));
        QVERIFY(lines[1].box.top() > lines[0].box.bottom() - 5);
    }

    void blankPictureHasNoLines() {
        QImage blank(800, 600, QImage::Format_Grayscale8);
        blank.fill(Qt::white);
        const Recognition r = recognize(blank, 300, QStringLiteral("eng"));
        QVERIFY(r.ok());
        QVERIFY(r.value().empty());
    }

    void missingLanguageDataIsAnError() {
        const Recognition r = recognize(twoLines(), 300, QStringLiteral("eng+zzz"));
        QVERIFY(!r.ok());
        QCOMPARE(r.error().kind, Error::Kind::MissingLanguage);
        QVERIFY(r.error().message.contains("tesseract-ocr-zzz"));

        QTemporaryDir empty;
        qputenv("TESSDATA_PREFIX", empty.path().toUtf8());
        QVERIFY(installedLanguages().isEmpty());
        QCOMPARE(recognize(twoLines(), 300, QStringLiteral("eng")).error().kind,
                 Error::Kind::MissingLanguage);
        qunsetenv("TESSDATA_PREFIX");
        QVERIFY(installedLanguages().contains("eng"));
        QVERIFY(defaultLanguages().startsWith("eng"));
    }

    void cancelledRunIsAnError() {
        const std::atomic<bool> cancel(true);
        const Recognition r = recognize(twoLines(), 300, QStringLiteral("eng"), &cancel);
        QVERIFY(!r.ok());
        QCOMPARE(r.error().kind, Error::Kind::Cancelled);
    }
};

QTEST_MAIN(TestTextRecognizer)
#include "test_text_recognizer.moc"
