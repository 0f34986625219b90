// The one-time offer to become the default PDF viewer, against xdg-mime in XDG folders of the test's own:
// its texts, both answers remembered, only "Set as Default" changing the default, and no offer when Zepla
// already is the default or the offer was answered before.
#include "ShellFixture.h"
#include "app/DefaultPDFPrompt.h"
#include "core/DefaultPDFHandler.h"
#include "core/DesktopEntry.h"
#include "core/Settings.h"

#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;
namespace Prompt = app::DefaultPDFPrompt;

namespace {

QString xdgMime(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdg-mime"), arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("<xdg-mime did not run>");
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString defaultViewer() {
    return xdgMime({"query", "default", "application/pdf"});
}

const QString kOtherViewer = QStringLiteral("otherviewer.desktop");

void makeOtherViewerTheDefault() {
    xdgMime({"default", kOtherViewer, "application/pdf"});
    QCOMPARE(defaultViewer(), kOtherViewer);
}

QVariant answered() {
    return platform::userSettings()->value(QLatin1String(platform::DefaultPDFHandler::hasPromptedKey));
}

void forgetAnswer() {
    const auto settings = platform::userSettings();
    settings->remove(QLatin1String(platform::DefaultPDFHandler::hasPromptedKey));
    settings->sync();
}

// The xdg-mime query behind an offer has ended once its process is gone.
bool queriesDone() {
    return qApp->findChildren<QProcess*>().isEmpty();
}

QPushButton* button(QMessageBox* box, const QString& text) {
    for (QAbstractButton* candidate : box->buttons())
        if (candidate->text() == text)
            return qobject_cast<QPushButton*>(candidate);
    return nullptr;
}

} // namespace

class TestDefaultViewerOffer : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;

private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        qputenv("HOME", m_root.filePath("home").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_root.filePath("config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_root.filePath("data").toLocal8Bit());
        qputenv("XDG_DATA_DIRS", m_root.filePath("system").toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", m_root.filePath("system").toLocal8Bit());
        qunsetenv("XDG_CURRENT_DESKTOP");
        for (const char* sub : {"home", "config", "data", "system/applications"})
            QDir(m_root.path()).mkpath(QString::fromLatin1(sub));
        QCOMPARE(platform::DesktopEntry::installForBuildRun(QCoreApplication::applicationFilePath(),
                                                            m_root.filePath("data")),
                 std::nullopt);
        // Another PDF viewer, the default until the user says otherwise.
        QFile other(m_root.filePath("system/applications/") + kOtherViewer);
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("[Desktop Entry]\nType=Application\nName=Other Viewer\nExec=/bin/true %F\n"
                    "MimeType=application/pdf;\n");
        other.close();
        makeOtherViewerTheDefault();
    }
    void init() {
        forgetAnswer();
        makeOtherViewerTheDefault();
    }
    void cleanup() {
        if (QMessageBox* offer = Prompt::visibleOffer())
            offer->done(0);
        QTRY_VERIFY(queriesDone());
    }

    void notNowIsRememberedAndChangesNothing() {
        Prompt::promptIfNeeded();
        QTRY_VERIFY(Prompt::visibleOffer());
        QMessageBox* offer = Prompt::visibleOffer();
        QCOMPARE(offer->text(), QStringLiteral("Make Zepla Your Default PDF Viewer?"));
        QCOMPARE(offer->informativeText(),
                 QStringLiteral("PDFs will open in Zepla automatically when you "
                                "double-click them in your file manager, your email, or "
                                "anywhere else."));
        QCOMPARE(offer->icon(), QMessageBox::Information);
        QCOMPARE(offer->buttons().size(), 2);
        QCOMPARE(offer->defaultButton(), button(offer, "Set as Default"));
        QVERIFY(offer->isModal());
        QVERIFY(!answered().isValid());

        QTest::mouseClick(button(offer, "Not Now"), Qt::LeftButton);
        QTRY_VERIFY(!Prompt::visibleOffer());
        QCOMPARE(answered(), QVariant(true));
        QTRY_VERIFY(queriesDone());
        QCOMPARE(defaultViewer(), kOtherViewer);

        // Answered once, never asked again, although Zepla still is not the default.
        Prompt::promptIfNeeded();
        QVERIFY(queriesDone());
        QVERIFY(!Prompt::visibleOffer());
    }

    void closingTheOfferCountsAsAnAnswer() {
        Prompt::promptIfNeeded();
        QTRY_VERIFY(Prompt::visibleOffer());
        QTest::keyClick(Prompt::visibleOffer(), Qt::Key_Escape);
        QTRY_VERIFY(!Prompt::visibleOffer());
        QCOMPARE(answered(), QVariant(true));
        QCOMPARE(defaultViewer(), kOtherViewer);
    }

    void setAsDefaultMakesZeplaTheDefault() {
        Prompt::promptIfNeeded();
        QTRY_VERIFY(Prompt::visibleOffer());
        QTest::mouseClick(button(Prompt::visibleOffer(), "Set as Default"), Qt::LeftButton);
        QCOMPARE(answered(), QVariant(true));
        QTRY_COMPARE(defaultViewer(), QStringLiteral("zepla.desktop"));
        QVERIFY(platform::DefaultPDFHandler::isDefault());
    }

    // Already the default: no offer, and the answer stays unwritten, so the offer can come once the user
    // makes another application the default.
    void noOfferWhileZeplaIsTheDefault() {
        xdgMime({"default", "zepla.desktop", "application/pdf"});
        QCOMPARE(defaultViewer(), QStringLiteral("zepla.desktop"));
        Prompt::promptIfNeeded();
        QTRY_VERIFY(queriesDone());
        QCoreApplication::processEvents();
        QVERIFY(!Prompt::visibleOffer());
        QVERIFY(!answered().isValid());
    }

    // At launch the offer comes about a second later, over the landing window.
    void launchOffersAfterTheLandingWindow() {
        ShellFixture shell;
        forgetAnswer();
        shell.app->launch({});
        QTRY_VERIFY(shell.delegate().welcomeWindow());
        QVERIFY(!Prompt::visibleOffer());
        QTRY_VERIFY_WITH_TIMEOUT(Prompt::visibleOffer(), testsupport::hangGuardMs);
        QVERIFY(shell.delegate().welcomeWindow()->isVisible());
    }
};

QTEST_MAIN(TestDefaultViewerOffer)
#include "test_default_viewer_offer.moc"
