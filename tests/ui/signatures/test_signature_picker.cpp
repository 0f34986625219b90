// The signature picker and pad with clicks and keys: the empty picker, tiles two to a row with the active one
// outlined, choosing and deleting, and the pad's strokes, its buttons' enabled rules, Esc, Return and the
// saved, trimmed image.
#include "annotations/SignatureStore.h"
#include "core/Settings.h"
#include "ui/signatures/SignaturePadCanvas.h"
#include "ui/signatures/SignaturePadSheet.h"
#include "ui/signatures/SignaturePickerView.h"
#include "ui/signatures/SignatureTile.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;
using namespace zepla::ui;

namespace {

QImage sample(int width) {
    QImage image(width, 40, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(QRect(4, 10, width - 8, 20), Qt::black);
    return image;
}

} // namespace

class TestSignaturePicker : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", m_home.filePath("config").toUtf8());
    }
    void init() { platform::userSettings()->remove("zepla.savedSignatures"); }

    void anEmptyPickerSaysSo() {
        annotations::SignatureStore store;
        SignaturePickerView picker(store);
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        QVERIFY(picker.emptyText()->isVisible());
        QCOMPARE(picker.emptyText()->text(), QString("No saved signatures yet."));
        QCOMPARE(picker.width(), 260);
        QSignalSpy pad(&picker, &SignaturePickerView::padRequested);
        QTest::mouseClick(picker.newSignatureButton(), Qt::LeftButton);
        QCOMPARE(pad.count(), 1);
    }

    void tilesTwoToARowChooseAndDelete() {
        annotations::SignatureStore store;
        for (int width : {120, 200, 300})
            store.add(sample(width));
        const QList<annotations::SavedSignature> saved = store.signatures();
        QCOMPARE(saved.size(), 3);
        SignaturePickerView picker(store);
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        QVERIFY(!picker.emptyText()->isVisible());
        QWidget* first = picker.tile(saved[0].id);
        QWidget* second = picker.tile(saved[1].id);
        QWidget* third = picker.tile(saved[2].id);
        QVERIFY(first && second && third);
        const auto top = [&](QWidget* tile) { return tile->mapTo(&picker, QPoint(0, 0)).y(); };
        QCOMPARE(top(first), top(second));
        QVERIFY(top(third) > top(first));
        QCOMPARE(first->size(), QSize(88, 56));
        // The last one added is active.
        const auto active = [&](const QUuid& id) {
            return static_cast<SignatureTile*>(picker.tile(id))->isActive();
        };
        QVERIFY(active(saved[2].id) && !active(saved[0].id) && !active(saved[1].id));
        // The badge overhangs the tile's top-right corner.
        QWidget* badge = picker.deleteBadge(saved[1].id);
        const QRect badgeBox(badge->mapTo(&picker, QPoint(0, 0)), badge->size());
        const QRect tileBox(second->mapTo(&picker, QPoint(0, 0)), second->size());
        QCOMPARE(badgeBox.right() - tileBox.right(), 6);
        QCOMPARE(tileBox.top() - badgeBox.top(), 6);

        QSignalSpy dismissed(&picker, &SignaturePickerView::dismissRequested);
        QTest::mouseClick(first, Qt::LeftButton);
        QCOMPARE(store.activeID(), saved[0].id);
        QCOMPARE(dismissed.count(), 1);
        QTRY_VERIFY(active(saved[0].id));

        // Deleting the active one makes the oldest remaining active; the picker stays.
        QTest::mouseClick(picker.deleteBadge(saved[0].id), Qt::LeftButton);
        QCOMPARE(store.signatures().size(), 2);
        QCOMPARE(store.activeID(), saved[1].id);
        QCOMPARE(dismissed.count(), 1);
        QTRY_VERIFY(picker.tile(saved[1].id) && active(saved[1].id));
        QVERIFY(!picker.tile(saved[0].id));
    }

    void thePadDrawsClearsCancelsAndSaves() {
        annotations::SignatureStore store;
        QWidget window;
        window.resize(600, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* pad = new SignaturePadSheet(store, &window);
        pad->open();
        QVERIFY(QTest::qWaitForWindowExposed(pad));
        SignaturePadCanvas* canvas = pad->canvas();
        QCOMPARE(canvas->size(), QSize(420, 180));
        QVERIFY(!pad->saveButton()->isEnabled());
        QVERIFY(!pad->clearButton()->isEnabled());
        // Return with nothing drawn does nothing.
        QTest::keyClick(pad, Qt::Key_Return);
        QVERIFY(pad->isVisible());
        QCOMPARE(store.signatures().size(), 0);

        // A click is a one-point stroke, drawn as a dot.
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(100, 90));
        QCOMPARE(canvas->strokes().size(), 1);
        QVERIFY(pad->saveButton()->isEnabled() && pad->clearButton()->isEnabled());
        QVERIFY(qGray(canvas->grab().toImage().pixel(100, 90)) < 100);
        QTest::mouseClick(pad->clearButton(), Qt::LeftButton);
        QVERIFY(canvas->strokes().isEmpty());
        QVERIFY(!pad->saveButton()->isEnabled());

        // A long stroke, then Return: the trimmed ink goes to the store and becomes active.
        QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(60, 100));
        for (int i = 1; i <= 60; ++i)
            QTest::mouseMove(canvas, QPoint(60 + i * 4, 100 + (i % 10) * 2));
        QVERIFY(!pad->saveButton()->isEnabled()); // not until the stroke ends
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(300, 100));
        QVERIFY(pad->saveButton()->isEnabled());
        QSignalSpy finished(pad, &QDialog::finished);
        QTest::keyClick(pad, Qt::Key_Return);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(store.signatures().size(), 1);
        const QImage saved = store.activeImage();
        // Twice the drawn extent (about 240 × 18 points plus the pen) and 6 pixels of margin.
        QVERIFY(saved.width() > 480 && saved.width() < 520);
        QVERIFY(saved.height() > 40 && saved.height() < 70);
        QCOMPARE(qAlpha(saved.pixel(0, 0)), 0);

        // Esc closes a new pad without storing anything.
        auto* again = new SignaturePadSheet(store, &window);
        again->open();
        QVERIFY(QTest::qWaitForWindowExposed(again));
        QTest::mouseClick(again->canvas(), Qt::LeftButton, {}, QPoint(50, 50));
        QSignalSpy rejected(again, &QDialog::rejected);
        QTest::keyClick(again, Qt::Key_Escape);
        QCOMPARE(rejected.count(), 1);
        QCOMPARE(store.signatures().size(), 1);
    }
};

QTEST_MAIN(TestSignaturePicker)
#include "test_signature_picker.moc"
