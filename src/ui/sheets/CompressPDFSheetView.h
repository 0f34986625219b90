// The "Compress PDF" sheet: a quality to choose, the copy made off the interface thread with progress and a
// way to stop, the real sizes before and after, and the save panel for the copy.
#pragma once

#include "document/pages/PDFCompressor.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QButtonGroup;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QThread;

namespace zepla::ui {

class CompressPDFSheetView : public QDialog {
    Q_OBJECT

public:
    using SavePanel = std::function<QString(const QString& suggestedName)>;

    // `originalPath` is the document's file, whose size the copy is measured against; without one (a
    // document never saved) the document as it would be saved stands for it.
    CompressPDFSheetView(std::shared_ptr<pdf::Document> pdfDocument, const QString& suggestedName,
                         const QString& originalPath = QString(), QWidget* parent = nullptr);
    ~CompressPDFSheetView() override;

    document::PDFCompressor::Quality quality() const;
    void setQuality(document::PDFCompressor::Quality quality);
    QRadioButton* qualityButton(document::PDFCompressor::Quality quality) const;
    QPushButton* compressButton() const { return m_compress; }
    QPushButton* cancelButton() const { return m_cancel; }
    QProgressBar* progressBar() const { return m_progress; }
    QLabel* sizesLabel() const { return m_sizes; }
    // The sizes line for a copy of `copyBytes` from an original of `originalBytes`: both in kilobytes
    // and megabytes to one decimal, or in bytes where those figures would look the same.
    static QString sizesText(qint64 originalBytes, qint64 copyBytes);
    QString errorMessage() const { return m_errorMessage; }
    bool isRunning() const { return m_worker != nullptr; }
    void setSavePanel(SavePanel panel) { m_savePanel = std::move(panel); }

    // Makes the copy at the chosen quality on a worker thread; then asks where to save it, or first says
    // that it would be larger than the original. A copy already made at this quality is saved as it is.
    void compress();

signals:
    // The copy is made (or failed, or was stopped) and the sheet shows what came of it.
    void runFinished();

private:
    struct Copy {
        document::PDFCompressor::Quality quality;
        QByteArray bytes;
        qint64 originalSize;
    };
    struct RunResult {
        QString error;
        std::optional<Copy> copy;
    };
    void start();
    void finish(const RunResult& result);
    void save(const Copy& copy);
    void setErrorMessage(const QString& message);
    void setRunning(bool running);
    // The sheet's height follows the progress, sizes and error lines it shows.
    void fitContent();

    std::shared_ptr<pdf::Document> m_pdfDocument;
    QString m_suggestedName;
    QString m_originalPath;
    SavePanel m_savePanel;
    QString m_errorMessage;
    std::optional<Copy> m_largerCopy; // made, larger than the original, waiting for the user's word
    QThread* m_worker = nullptr;
    std::shared_ptr<std::atomic_bool> m_stop;
    QButtonGroup* m_qualities;
    QLabel* m_error;
    QProgressBar* m_progress;
    QLabel* m_sizes;
    QPushButton* m_cancel;
    QPushButton* m_compress;
};

} // namespace zepla::ui
