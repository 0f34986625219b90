// Says that a file is being opened, once opening it has taken longer than a second: a small window with a
// progress bar that does not block anything (the file is read on a worker and the application goes on).
// It goes away with this object.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QWidget;

namespace zepla::app {

class OpenProgress : public QObject {
    Q_OBJECT

public:
    // `name` is the file's name; the window stands over `parent`, or on its own when there is none.
    OpenProgress(const QString& name, QWidget* parent);
    ~OpenProgress() override;

    static constexpr int progressDelayMs = 1000;

private:
    void show();

    QString m_name;
    QPointer<QWidget> m_parent;
    QPointer<QWidget> m_window;
    QTimer m_delay;
};

} // namespace zepla::app
