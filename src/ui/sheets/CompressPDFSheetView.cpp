#include "ui/sheets/CompressPDFSheetView.h"

#include "document/pages/DerivedFile.h"
#include "ui/passwords/PasswordField.h"
#include "ui/sheets/SheetParts.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QVBoxLayout>

namespace zepla::ui {

using document::PDFCompressor::Quality;

namespace {

QString dataSize(qint64 bytes) {
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

// The byte count the copy is measured against: the file's, as it is on disk.
std::optional<qint64> fileSize(const QString& path) {
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile())
        return std::nullopt;
    return file.size();
}

} // namespace

QString CompressPDFSheetView::sizesText(qint64 originalBytes, qint64 copyBytes) {
    QString original = dataSize(originalBytes);
    QString copy = dataSize(copyBytes);
    if (original == copy && originalBytes != copyBytes) {
        original = QStringLiteral("%1 bytes").arg(QLocale().toString(originalBytes));
        copy = QStringLiteral("%1 bytes").arg(QLocale().toString(copyBytes));
    }
    return QStringLiteral("Original: %1 · Compressed copy: %2 (%3 %)")
        .arg(original, copy)
        .arg(qRound(100.0 * double(copyBytes) / double(std::max<qint64>(originalBytes, 1))));
}

CompressPDFSheetView::CompressPDFSheetView(std::shared_ptr<pdf::Document> pdfDocument,
                                           const QString& suggestedName, const QString& originalPath,
                                           QWidget* parent)
    : QDialog(parent), m_pdfDocument(std::move(pdfDocument)), m_suggestedName(suggestedName),
      m_originalPath(originalPath),
      m_savePanel([this](const QString& name) { return Passwords::askForPdfSavePath(this, name); }),
      m_qualities(new QButtonGroup(this)), m_error(Passwords::makeErrorLabel(this)),
      m_progress(new QProgressBar(this)), m_sizes(SheetParts::secondaryText(QString(), 12, this)),
      m_cancel(nullptr), m_compress(new QPushButton(QStringLiteral("Compress…"), this)) {
    setWindowTitle(QStringLiteral("Compress PDF"));
    setFixedWidth(360);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(14);
    layout->addWidget(SheetParts::heading(QStringLiteral("Compress PDF"), this));
    QLabel* description = SheetParts::secondaryText(
        QStringLiteral(
            "Best for scanned or image-heavy PDFs. Every page is converted to an image — text will "
            "no longer be searchable or selectable in the compressed copy. The original is left "
            "untouched."),
        12, this);
    description->setWordWrap(true);
    layout->addWidget(description);

    auto* qualityColumn = new QVBoxLayout;
    qualityColumn->setSpacing(4);
    qualityColumn->addWidget(SheetParts::caption(QStringLiteral("Quality"), this));
    for (Quality q : document::PDFCompressor::allQualities) {
        auto* button = new QRadioButton(document::PDFCompressor::label(q), this);
        m_qualities->addButton(button, int(q));
        qualityColumn->addWidget(button);
    }
    layout->addLayout(qualityColumn);
    setQuality(Quality::better);

    m_progress->setTextVisible(true);
    m_progress->setFormat(QStringLiteral("Page %v of %m"));
    m_progress->hide();
    m_sizes->setWordWrap(true);
    m_sizes->hide();
    layout->addWidget(m_progress);
    layout->addWidget(m_sizes);
    m_error->setWordWrap(true);
    layout->addWidget(m_error);

    m_compress->setAutoDefault(false);
    QHBoxLayout* buttons = SheetParts::cancelAndConfirm(this, m_compress);
    // The row holds a stretch, "Cancel", then the confirming button.
    m_cancel = qobject_cast<QPushButton*>(buttons->itemAt(1)->widget());
    layout->addLayout(buttons);

    connect(m_compress, &QPushButton::clicked, this, &CompressPDFSheetView::compress);
    // A copy waiting for the user's word belongs to the quality it was made at.
    connect(m_qualities, &QButtonGroup::idClicked, this, [this] {
        m_largerCopy.reset();
        m_compress->setText(QStringLiteral("Compress…"));
    });
    // Closing the sheet stops the work; nothing is written.
    connect(this, &QDialog::finished, this, [this] {
        if (m_stop)
            m_stop->store(true);
    });
}

CompressPDFSheetView::~CompressPDFSheetView() {
    if (m_worker) {
        m_stop->store(true);
        m_worker->wait(); // at most the page being drawn
        delete m_worker;
    }
}

Quality CompressPDFSheetView::quality() const {
    return Quality(m_qualities->checkedId());
}

void CompressPDFSheetView::setQuality(Quality quality) {
    m_qualities->button(int(quality))->setChecked(true);
}

QRadioButton* CompressPDFSheetView::qualityButton(Quality quality) const {
    return qobject_cast<QRadioButton*>(m_qualities->button(int(quality)));
}

void CompressPDFSheetView::compress() {
    if (m_worker)
        return;
    if (m_largerCopy && m_largerCopy->quality == quality()) {
        save(*m_largerCopy);
        return;
    }
    start();
}

void CompressPDFSheetView::start() {
    m_largerCopy.reset();
    m_sizes->hide();
    m_stop = std::make_shared<std::atomic_bool>(false);
    const Quality chosen = quality();
    const std::shared_ptr<pdf::Document> source = m_pdfDocument;
    const std::shared_ptr<std::atomic_bool> stop = m_stop;
    m_progress->setRange(0, std::max(source->pageCount(), 1));
    m_progress->setValue(0);
    m_worker = QThread::create([this, source, stop, chosen, originalPath = m_originalPath] {
        const auto progress = [this, stop](int done, int) {
            QMetaObject::invokeMethod(
                this, [this, done] { m_progress->setValue(done); }, Qt::QueuedConnection);
            return !stop->load();
        };
        const document::PDFCompressor::Outcome outcome =
            document::PDFCompressor::compress(*source, chosen, progress);
        RunResult result{outcome ? QString() : outcome.error(), std::nullopt};
        if (outcome && outcome.value() && !stop->load()) {
            auto copy = outcome.value()->save();
            std::optional<qint64> originalSize = fileSize(originalPath);
            if (!originalSize)
                if (auto original = source->save())
                    originalSize = original.value().size();
            if (copy && originalSize)
                result.copy = Copy{chosen, copy.value(), *originalSize};
            else
                result.error = QStringLiteral("Couldn't compress this PDF.");
        }
        QMetaObject::invokeMethod(
            this, [this, result] { finish(result); }, Qt::QueuedConnection);
    });
    setRunning(true);
    m_worker->start();
}

void CompressPDFSheetView::finish(const RunResult& result) {
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    setRunning(false);
    const bool stopped = m_stop->load();
    m_stop.reset();
    if (stopped) {
        emit runFinished();
        return;
    }
    if (!result.copy) {
        if (!result.error.isEmpty())
            setErrorMessage(result.error);
        emit runFinished();
        return;
    }
    const Copy& copy = *result.copy;
    const qint64 after = copy.bytes.size();
    m_sizes->setText(sizesText(copy.originalSize, after));
    m_sizes->show();
    fitContent();
    emit runFinished();
    if (after > copy.originalSize) {
        // Pages of text grow when they become pictures: the user decides before anything is written.
        setErrorMessage(QStringLiteral("The compressed copy would be larger than the original. Choose a "
                                       "lower quality, or save it anyway."));
        m_largerCopy = copy;
        m_compress->setText(QStringLiteral("Save Anyway…"));
        return;
    }
    save(copy);
}

void CompressPDFSheetView::save(const Copy& copy) {
    const QString path = m_savePanel(m_suggestedName + QStringLiteral(" (Compressed).pdf"));
    if (path.isEmpty())
        return;
    if (!document::writeDerivedBytes(copy.bytes, path)) {
        setErrorMessage(QStringLiteral("Couldn't write the compressed copy to that location."));
        return;
    }
    accept();
}

void CompressPDFSheetView::setErrorMessage(const QString& message) {
    m_errorMessage = message;
    Passwords::showError(m_error, message);
    fitContent();
}

void CompressPDFSheetView::fitContent() {
    layout()->activate();
    resize(width(), layout()->totalHeightForWidth(width()));
}

void CompressPDFSheetView::setRunning(bool running) {
    m_progress->setVisible(running);
    m_compress->setEnabled(!running);
    for (QAbstractButton* button : m_qualities->buttons())
        button->setEnabled(!running);
    fitContent();
}

} // namespace zepla::ui
