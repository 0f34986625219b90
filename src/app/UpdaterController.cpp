#include "app/UpdaterController.h"

#include "app/Alerts.h"
#include "ui/theme/DialogSizing.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

namespace zepla::app {

namespace {

using platform::UpdateCheckResult;

QString tr(const char* text) {
    return QCoreApplication::translate("UpdaterController", text);
}

QMessageBox* makeDialog(QMessageBox::Icon icon, const QString& text, const QString& informative) {
    auto* box = new QMessageBox(icon, tr("Software Update"), text);
    box->setInformativeText(informative);
    ui::sizeAlertToText(*box);
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}

} // namespace

QUrl configuredUpdateFeed() {
    return QUrl(QStringLiteral(ZEPLA_UPDATE_FEED_URL));
}

UpdaterController::UpdaterController(QObject* parent)
    : UpdaterController({configuredUpdateFeed(), QCoreApplication::applicationVersion()}, parent) {}

UpdaterController::UpdaterController(platform::UpdateChecker::Options options, QObject* parent)
    : QObject(parent), m_currentVersion(options.currentVersion) {
    if (options.feed.isEmpty())
        return;
    m_checker = std::make_unique<platform::UpdateChecker>(std::move(options));
    connect(m_checker.get(), &platform::UpdateChecker::checkingChanged, this,
            [this](bool checking) { emit canCheckForUpdatesChanged(!checking); });
    connect(m_checker.get(), &platform::UpdateChecker::finished, this, &UpdaterController::showResult);
}

UpdaterController::~UpdaterController() = default;

bool UpdaterController::canCheckForUpdates() const {
    return m_checker && !m_checker->isChecking();
}

void UpdaterController::checkForUpdates() {
    if (canCheckForUpdates())
        m_checker->check();
}

void UpdaterController::showResult(const UpdateCheckResult& result) {
    const QString& current = m_currentVersion;
    QMessageBox* box = nullptr;
    switch (result.outcome) {
    case UpdateCheckResult::Outcome::updateAvailable: {
        box =
            makeDialog(QMessageBox::Information, tr("A new version of Zepla is available!"),
                       tr("Zepla %1 is now available—you have %2. Would you like to open its download page?")
                           .arg(result.latestVersion, current));
        QPushButton* open = box->addButton(tr("Open Download Page"), QMessageBox::AcceptRole);
        box->addButton(tr("Not Now"), QMessageBox::RejectRole);
        box->setDefaultButton(open);
        const QUrl page = result.downloadPage;
        connect(open, &QPushButton::clicked, box, [page] {
            if (!QDesktopServices::openUrl(page))
                showAlert(nullptr, tr("The download page could not be opened"),
                          tr("Open %1 in your web browser.").arg(page.toString()));
        });
        break;
    }
    case UpdateCheckResult::Outcome::upToDate:
        box = makeDialog(QMessageBox::Information, tr("You're up to date!"),
                         tr("Zepla %1 is currently the newest version available.").arg(current));
        break;
    case UpdateCheckResult::Outcome::failed:
        box = makeDialog(QMessageBox::Warning, tr("Zepla could not check for updates"), result.error);
        break;
    }
    box->show();
    box->setObjectName(QStringLiteral("updateCheckResult"));
    emit resultShown();
}

} // namespace zepla::app
