// The application's update checker behind Help ▸ Check for Updates…: a check can start while the build has an
// update feed and no check is running; its answer is said in a dialog that can open the download page.
#pragma once

#include "updates/UpdateChecker.h"

#include <QObject>

#include <memory>

namespace zepla::app {

class UpdaterController : public QObject {
    Q_OBJECT

public:
    // Over the feed this build was configured with (ZEPLA_UPDATE_FEED_URL); without one no check can start.
    explicit UpdaterController(QObject* parent = nullptr);
    // Over a feed of the caller's choosing.
    UpdaterController(platform::UpdateChecker::Options options, QObject* parent = nullptr);
    ~UpdaterController() override;

    bool canCheckForUpdates() const;
    // Starts a user-initiated check; its answer comes as a dialog.
    void checkForUpdates();

signals:
    void canCheckForUpdatesChanged(bool canCheck);
    // The dialog with the answer of a check was just shown.
    void resultShown();

private:
    void showResult(const platform::UpdateCheckResult& result);

    QString m_currentVersion;
    std::unique_ptr<platform::UpdateChecker> m_checker;
};

// The feed address this build was configured with; empty when it has none.
QUrl configuredUpdateFeed();

} // namespace zepla::app
