// The welcome content: a header, the card for choosing or dropping a file, and the recent files. Shown by the
// landing window and by a document window whose document has no pages.
#pragma once

#include <QUrl>
#include <QWidget>

#include <functional>

class QScrollArea;

namespace zepla::ui {

class OpenDocumentCard;
class RecentsSection;

class LandingView : public QWidget {
    Q_OBJECT

public:
    using OpenInPlace = std::function<void(const QString& path)>;

    // In the landing window: PDFs go to the document controller through the file-open router.
    explicit LandingView(QWidget* parent = nullptr);
    // In an empty document window: PDFs are handed to `onOpenInPlace`, which opens them in that window.
    explicit LandingView(OpenInPlace onOpenInPlace, QWidget* parent = nullptr);

    // Where a chosen PDF goes: into this window when it can, else a document window.
    void openDocumentAction(const QString& path);
    // The open dialog, then the chosen file: PDFs to `openDocumentAction`, others to the router.
    void selectFile();
    // A drop of these locations: only the first is opened, where it lies (no copy is made, so edits are saved
    // to the file itself). Refused when empty or not a local file that exists; answers at once and opens on
    // the next turn of the event loop.
    bool handleDrop(const QList<QUrl>& urls);

    QStringList recentDocumentPaths() const { return m_recentDocumentPaths; }
    RecentsSection* recentsSection() const { return m_recents; }
    OpenDocumentCard* card() const { return m_card; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void reloadRecents();
    void clearRecents();
    void openChosen(const QString& path);

    OpenInPlace m_onOpenInPlace;
    QStringList m_recentDocumentPaths;
    OpenDocumentCard* m_card;
    RecentsSection* m_recents;
};

} // namespace zepla::ui
