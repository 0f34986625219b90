// The Linux wording of the system's texts: key symbols spelled out, the desktop's own names.
#include "core/Wording.h"

#include <QTest>

using zepla::platform::adaptWording;

class TestWording : public QObject {
    Q_OBJECT

private slots:
    void adapts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("command") << "Redacted — text is now permanently removed. ⌘Z to undo"
                                 << "Redacted — text is now permanently removed. Ctrl+Z to undo";
        QTest::newRow("option and command") << "Toggle Page Sidebar (⌥⌘S)"
                                            << "Toggle Page Sidebar (Alt+Ctrl+S)";
        QTest::newRow("shift") << "⇧⌘H"
                               << "Shift+Ctrl+H";
        QTest::newRow("settings") << "AI Assistant Settings… (⌘,)"
                                  << "AI Assistant Settings… (Ctrl+,)";
        QTest::newRow("file manager") << "Show in Finder"
                                      << "Show in your file manager";
        QTest::newRow("mail program")
            << "double-click them in Finder, Mail, or anywhere else."
            << "double-click them in your file manager, your email, or anywhere else.";
        QTest::newRow("email untouched") << "Email the PDF from your Mailbox"
                                         << "Email the PDF from your Mailbox";
        QTest::newRow("system") << "Requires macOS 14"
                                << "Requires Linux 14";
        QTest::newRow("untouched") << "Check for Updates…"
                                   << "Check for Updates…";
        QTest::newRow("empty") << ""
                               << "";
    }
    void adapts() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(adaptWording(text), expected);
    }
};

QTEST_APPLESS_MAIN(TestWording)
#include "test_wording.moc"
