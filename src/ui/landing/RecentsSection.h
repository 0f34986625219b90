// The landing view's recent files: a "Recents" header with "Clear Recents" over a grid of thumbnail cells.
#pragma once

#include <QWidget>

class QPushButton;

namespace zepla::ui {

class RecentThumbnailCell;

class RecentsSection : public QWidget {
    Q_OBJECT

public:
    explicit RecentsSection(QWidget* parent = nullptr);

    // One cell per path, in the order given.
    void setPaths(const QStringList& paths);
    QList<RecentThumbnailCell*> cells() const;
    QPushButton* clearButton() const { return m_clearButton; }

signals:
    void openRequested(const QString& path);
    void clearRequested();

private:
    class Grid;
    Grid* m_grid;
    QPushButton* m_clearButton;
};

} // namespace zepla::ui
