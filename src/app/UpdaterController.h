// Stands in for the software-update checker until it exists: no check can start, so "Check for Updates…"
// stays disabled.
#pragma once

#include <QObject>

namespace zepla::app {

class UpdaterController : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    bool canCheckForUpdates() const { return false; }

signals:
    void canCheckForUpdatesChanged(bool canCheck);
};

} // namespace zepla::app
