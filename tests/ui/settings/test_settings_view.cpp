// The settings window on a preferences file and XDG folders of the test's own: its states, what it stores,
// and the default-viewer row against xdg-mime.
#include "core/Settings.h"
#include "keys/APIKeyStore.h"
#include "ui/settings/SettingsView.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace zepla;
using ai::APIProviderKind;

namespace {

QPushButton* button(ui::SettingsView& view, const QString& text) {
    for (QPushButton* candidate : view.findChildren<QPushButton*>())
        if (candidate->text() == text)
            return candidate;
    return nullptr;
}

QLineEdit* field(ui::SettingsView& view, const QString& placeholder) {
    for (QLineEdit* candidate : view.findChildren<QLineEdit*>())
        if (candidate->placeholderText() == placeholder)
            return candidate;
    return nullptr;
}

QString queryDefault() {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {"query", "default", "application/pdf"});
    if (!query.waitForFinished(5000) || query.exitCode() != 0)
        return QStringLiteral("<xdg-mime failed>");
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}

const QString kBuiltIn = QStringLiteral("Using Zepla's built-in AI — no key needed");
const QString kOwnKey = QStringLiteral("Using your own API key");
const QString kNone = QStringLiteral("No active configuration");

} // namespace

class TestSettingsView : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;

    void resetPreferences() {
        platform::userSettings()->clear();
        platform::userSettings()->sync();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        for (const char* sub : {"home", "config", "data/applications"})
            QDir(m_root.path()).mkpath(QString::fromLatin1(sub));
        qputenv("HOME", m_root.filePath("home").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_root.filePath("config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_root.filePath("data").toLocal8Bit());
        qputenv("XDG_DATA_DIRS", m_root.filePath("none").toLocal8Bit());
    }

    void init() { resetPreferences(); }

    // The window is taller than its sections: the spare height stays below them, so the default-viewer row
    // keeps its label and button on one line.
    void spareHeightStaysBelowTheSections() {
        ui::SettingsView view;
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QList<QWidget*> bodies = view.findChildren<QWidget*>("settingsSectionBody");
        QCOMPARE(bodies.size(), 2);
        for (QWidget* body : bodies)
            QVERIFY2(body->height() <= body->sizeHint().height(),
                     qPrintable(QString::number(body->height())));
    }

    // A settings file that cannot keep anything (a folder in its place, or one without write access): the
    // window says so when it opens and at Save, and claims nothing was saved.
    void unusableSettingsFileIsSaidAndNothingClaimsSaved_data() {
        QTest::addColumn<bool>("folder");
        QTest::newRow("folder") << true;
        QTest::newRow("read-only") << false;
    }
    void unusableSettingsFileIsSaidAndNothingClaimsSaved() {
        QFETCH(bool, folder);
        if (!folder && ::geteuid() == 0)
            QSKIP("the superuser writes read-only files");
        const QString path =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Zepla/Zepla.conf";
        QVERIFY(QFile::remove(path));
        if (folder)
            QVERIFY(QDir().mkpath(path));
        else
            QVERIFY(QFile(path).open(QIODevice::WriteOnly) && QFile::setPermissions(path, QFile::ReadOwner));
        const auto restore = qScopeGuard([&] {
            QDir(path).removeRecursively();
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
            QFile::remove(path);
        });

        ui::SettingsView view;
        QVERIFY2(view.errorText().contains(path), qPrintable(view.errorText()));
        field(view, "Enter API Key...")->setText("sk-lost");
        button(view, "Save")->click();
        QVERIFY(view.errorText().endsWith("Nothing was saved."));
        QVERIFY(!view.justSaved());
        QVERIFY(!view.isKeySaved());
        QCOMPARE(view.statusText(), kNone);
        button(view, "Use Zepla's AI")->click();
        QVERIFY(view.errorText().endsWith("Nothing was saved."));
        QVERIFY(!view.justSaved());
        QCOMPARE(field(view, "Enter API Key...")->text(), QString("sk-lost"));
    }

    void freshStateUsesBuiltInAI() {
        ui::SettingsView view;
        QVERIFY(field(view, "Enter API Key...")->text().isEmpty());
        QCOMPARE(field(view, "Enter API Key...")->echoMode(), QLineEdit::Password);
        QCOMPARE(field(view, "Enter API URL...")->text(), ai::APIKeyStore::defaultOllamaURL());
        QVERIFY(!button(view, "Save")->isEnabled());
        QVERIFY(!button(view, "Use Zepla's AI")->isEnabled());
        QCOMPARE(view.statusText(), kBuiltIn);
        QCOMPARE(view.width(), 640);
        QCOMPARE(view.minimumHeight(), 560);
    }

    void typingAndSavingAKey() {
        ui::SettingsView view;
        QLineEdit* key = field(view, "Enter API Key...");
        QTest::keyClicks(key, "  \t ");
        QVERIFY(!button(view, "Save")->isEnabled());
        QCOMPARE(view.statusText(), kBuiltIn);
        key->clear();
        QTest::keyClicks(key, " first ");
        QVERIFY(button(view, "Save")->isEnabled());
        QCOMPARE(view.statusText(), kNone);
        QTest::mouseClick(button(view, "Save"), Qt::LeftButton);
        QVERIFY(view.justSaved());
        QCOMPARE(view.statusText(), kOwnKey);
        QCOMPARE(ai::APIKeyStore::allKeys(APIProviderKind::ollama), QStringList{" first "});
        QTest::keyClick(key, Qt::Key_X);
        QVERIFY(!view.justSaved());
        QTest::mouseClick(button(view, "Save"), Qt::LeftButton);
        QCOMPARE(ai::APIKeyStore::allKeys(APIProviderKind::ollama), (QStringList{" first ", " first x"}));

        ui::SettingsView reopened;
        QCOMPARE(field(reopened, "Enter API Key...")->text(), QStringLiteral(" first "));
        QCOMPARE(reopened.statusText(), kOwnKey);
        QVERIFY(button(reopened, "Use Zepla's AI")->isEnabled());
    }

    // The preferences hold API keys: only their owner may read them.
    void preferencesFileIsPrivate() {
        ui::SettingsView view;
        QTest::keyClicks(field(view, "Enter API Key..."), "secret");
        QTest::mouseClick(button(view, "Save"), Qt::LeftButton);
        const auto settings = platform::userSettings();
        settings->sync();
        QCOMPARE(QFileInfo(settings->fileName()).permissions() & 0x0FFF,
                 QFileDevice::Permissions(QFile::ReadUser | QFile::WriteUser));
    }

    void addressThatIsNoURLIsRejected_data() {
        QTest::addColumn<QString>("url");
        QTest::newRow("empty") << "";
        QTest::newRow("words") << "not a url";
        QTest::newRow("no scheme") << "ollama.com/v1/chat/completions";
        QTest::newRow("other scheme") << "ftp://ollama.com/";
    }
    void addressThatIsNoURLIsRejected() {
        QFETCH(QString, url);
        ui::SettingsView view;
        QLineEdit* address = field(view, "Enter API URL...");
        address->setText(url);
        QTest::keyClicks(field(view, "Enter API Key..."), "key");
        QTest::mouseClick(button(view, "Save"), Qt::LeftButton);
        QVERIFY(view.errorText().contains("not a web address"));
        QVERIFY(!view.justSaved());
        QVERIFY(ai::APIKeyStore::allKeys(APIProviderKind::ollama).isEmpty());
        QVERIFY(!platform::userSettings()->contains("zepla.customAPIURL"));

        address->setText("http://127.0.0.1:11434/v1/chat/completions");
        QTest::mouseClick(button(view, "Save"), Qt::LeftButton);
        QVERIFY(view.errorText().isEmpty());
        QCOMPARE(ai::APIKeyStore::loadURL(), QStringLiteral("http://127.0.0.1:11434/v1/chat/completions"));
    }

    void useBuiltInAIClearsBothPools_data() {
        QTest::addColumn<bool>("fieldHoldsText");
        QTest::newRow("key in field") << true;
        QTest::newRow("empty field") << false;
    }
    void useBuiltInAIClearsBothPools() {
        QFETCH(bool, fieldHoldsText);
        ai::APIKeyStore::save("groq-key", APIProviderKind::groq);
        ai::APIKeyStore::saveURL("https://example.com/v1/chat/completions");
        ui::SettingsView view;
        // A Groq key alone is used by the assistant, so the window counts it too.
        QCOMPARE(view.statusText(), kOwnKey);
        QVERIFY(button(view, "Use Zepla's AI")->isEnabled());
        if (fieldHoldsText)
            QTest::keyClicks(field(view, "Enter API Key..."), "typed");
        QTest::mouseClick(button(view, "Use Zepla's AI"), Qt::LeftButton);
        QVERIFY(field(view, "Enter API Key...")->text().isEmpty());
        QCOMPARE(field(view, "Enter API URL...")->text(), ai::APIKeyStore::defaultOllamaURL());
        QVERIFY(ai::APIKeyStore::allKeys(APIProviderKind::groq).isEmpty());
        QCOMPARE(ai::APIKeyStore::loadURL(), ai::APIKeyStore::defaultOllamaURL());
        QCOMPARE(view.statusText(), kBuiltIn);
        // Emptying a field that held text is a change of the key, which takes the mark away again.
        QCOMPARE(view.justSaved(), !fieldHoldsText);
        QCOMPARE(!view.findChild<QWidget*>("savedMark")->isHidden(), !fieldHoldsText);
        QVERIFY(!button(view, "Use Zepla's AI")->isEnabled());
    }

    // "Use Zepla's AI" is the accented button: filled with the brand blue, where "Save" is a plain one.
    void useZeplasAIIsTheProminentButton() {
        ui::SettingsView view;
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::keyClicks(field(view, "Enter API Key..."), "typed");
        const auto fill = [&view](const QString& text) {
            QPushButton* target = button(view, text);
            return target->grab().toImage().pixelColor(6, target->height() / 2);
        };
        QVERIFY(button(view, "Use Zepla's AI")->isEnabled());
        QCOMPARE(fill("Use Zepla's AI").name(), QStringLiteral("#00c2ff"));
        QVERIFY(fill("Save").name() != QStringLiteral("#00c2ff"));
    }

    void oneSharedWindow() {
        ui::SettingsView* first = ui::SettingsView::showShared();
        QCOMPARE(ui::SettingsView::showShared(), first);
        QVERIFY(first->isVisible());
        first->close();
        QTRY_VERIFY(!first->isVisible());
    }

    // Without the desktop entry the desktop cannot take Zepla as the default: the button stays. With it, the
    // row turns into the "your default" mark and xdg-mime reports the entry.
    void setAsDefault() {
        const QString entry = m_root.filePath("data/applications/zepla.desktop");
        QFile::remove(entry);
        QCOMPARE(queryDefault(), QString());
        {
            ui::SettingsView view;
            QVERIFY(!view.isDefaultPDFViewer());
            QTest::mouseClick(button(view, "Set as Default"), Qt::LeftButton);
            QTRY_VERIFY(button(view, "Set as Default")->isEnabled());
            QVERIFY(!view.isDefaultPDFViewer());
        }
        QFile file(entry);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "[Desktop Entry]\nType=Application\nName=Zepla\nExec=zepla %F\nMimeType=application/pdf;\n");
        file.close();
        QFile list(m_root.filePath("config/mimeapps.list"));
        QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
        list.write("[Default Applications]\napplication/pdf=other.desktop\n");
        list.close();
        ui::SettingsView view;
        QTest::mouseClick(button(view, "Set as Default"), Qt::LeftButton);
        QTRY_VERIFY(view.isDefaultPDFViewer());
        QCOMPARE(view.findChild<QStackedWidget*>()->currentIndex(), 1);
        QCOMPARE(queryDefault(), QStringLiteral("zepla.desktop"));
        QVERIFY(ui::SettingsView().isDefaultPDFViewer());
    }
};

QTEST_MAIN(TestSettingsView)
#include "test_settings_view.moc"
