// The progress window of background work: figures that come page after page are shown without repainting
// it for each, and the newest are always shown in the end.
#include "ui/workspace/WorkProgress.h"

#include <QTest>

using namespace zepla::ui;

class TestWorkProgress : public QObject {
    Q_OBJECT

private slots:
    void aRunOfFiguresShowsTheFirstAtOnceAndTheNewestAfter() {
        QWidget window;
        QProgressDialog* progress = makeWorkProgress(&window, "Redact", "Redacting: 0 of 0 pages done", 0);
        window.show();
        showWorkProgress(*progress, "Redacting: 1 of 80 pages done", 1, 80);
        QCOMPARE(progress->value(), 1);
        QCOMPARE(progress->maximum(), 80);
        QCOMPARE(progress->labelText(), QString("Redacting: 1 of 80 pages done"));
        QTRY_VERIFY(progress->isVisible());
        int shownAtOnce = 0;
        for (int done = 2; done <= 60; ++done) {
            showWorkProgress(*progress, QStringLiteral("Redacting: %1 of 80 pages done").arg(done), done, 80);
            shownAtOnce += progress->value() == done;
        }
        QVERIFY2(shownAtOnce < 5, qPrintable(QString::number(shownAtOnce)));
        QTRY_COMPARE(progress->value(), 60);
        QCOMPARE(progress->labelText(), QString("Redacting: 60 of 80 pages done"));
        showWorkProgress(*progress, "Redacting: 80 of 80 pages done", 80, 80);
        QTRY_COMPARE(progress->value(), 80);
    }
};

QTEST_MAIN(TestWorkProgress)
#include "test_work_progress.moc"
