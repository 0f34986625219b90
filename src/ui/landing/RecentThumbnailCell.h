// One recent file in the landing view's grid: its first page (or a document symbol), its name and its folder.
#pragma once

#include <QAbstractButton>
#include <QImage>

#include <functional>
#include <optional>

namespace zepla::ui {

class RecentThumbnailCell : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int cellWidth = 130;
    static constexpr QSize thumbnailFrameSize{110, 140};
    static constexpr int thumbnailHeight = 280; // twice the frame, for sharp scaling

    explicit RecentThumbnailCell(const QString& path, QWidget* parent = nullptr);

    QString path() const { return m_path; }
    const QImage& thumbnail() const { return m_thumbnail; }
    // The file name without its last extension, and the folder that holds the file.
    QString displayName() const;
    QString folder() const;

    QSize sizeHint() const override;

    // Opens the file and renders its first page 280 pixels high on a worker thread, then calls `done` on the
    // thread of `context` (not at all when `context` is gone). No image for a file that is missing, not a
    // readable PDF, locked, without pages or with an empty media box.
    static void loadThumbnail(const QString& path, QObject* context,
                              std::function<void(std::optional<QImage>)> done);

signals:
    void thumbnailChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fill();

    QString m_path;
    QImage m_thumbnail;
    bool m_filling = false;
    class Frame;
    Frame* m_frame;
};

} // namespace zepla::ui
