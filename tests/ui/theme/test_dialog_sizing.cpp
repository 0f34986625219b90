// Alerts sized to their message: every word of it is shown, wrapped to a reading width where it can be.
#include "ui/theme/DialogSizing.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla::ui;

class TestDialogSizing : public QObject {
    Q_OBJECT

private slots:
    void theWholeMessageIsShown_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("informative");
        const QString sentence =
            QStringLiteral("Some saved chats of “Report” could not be read and are left out. "
                           "The original chat history is kept beside the new one.");
        const QString path = QStringLiteral("/home/someone/.local/share/Zepla/Chats/") + QString(40, u'a') +
                             QStringLiteral(".unreadable.json");
        QTest::newRow("long message") << sentence << QString();
        QTest::newRow("message with a path")
            << sentence + QStringLiteral(" “") + path + QStringLiteral("”.") << QString();
        QTest::newRow("long informative text")
            << QStringLiteral("“Report.pdf” could not be saved.") << sentence;
        QTest::newRow("short message") << QStringLiteral("Saved.") << QString();
    }

    void theWholeMessageIsShown() {
        QFETCH(QString, message);
        QFETCH(QString, informative);
        QMessageBox box(QMessageBox::Information, QStringLiteral("Assistant"), message);
        box.setInformativeText(informative);
        sizeAlertToText(box);
        QCOMPARE(box.screen()->availableSize(), QSize(1600, 1000));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QString shown = informative.isEmpty() ? message : informative;
        const QLabel* label =
            box.findChild<QLabel*>(informative.isEmpty() ? QStringLiteral("qt_msgbox_label")
                                                         : QStringLiteral("qt_msgbox_informativelabel"));
        QVERIFY(label);
        QVERIFY(box.rect().contains(label->geometry()));
        // The text as the label lays it out in the room it was given: nothing runs past its edges.
        const QRect room = label->contentsRect();
        const int flags = label->wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
        const QRect needed =
            label->fontMetrics().boundingRect(QRect(0, 0, room.width(), 100000), flags, shown);
        QVERIFY2(needed.width() <= room.width(),
                 qPrintable(QStringLiteral("%1 > %2").arg(needed.width()).arg(room.width())));
        QVERIFY2(needed.height() <= room.height(),
                 qPrintable(QStringLiteral("%1 > %2").arg(needed.height()).arg(room.height())));
    }
};

// A desktop-sized screen: Qt's message box wraps its text on its own only where the screen is small.
int main(int argc, char** argv) {
    QTemporaryDir folder;
    const QString config = folder.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(R"({"screens":[{"name":"desk","x":0,"y":0,"width":1600,"height":1000,"logicalDpi":96,)"
                   R"("logicalBaseDpi":96,"dpr":1}]})") < 0)
        return 1;
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    QApplication app(argc, argv);
    TestDialogSizing test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_dialog_sizing.moc"
