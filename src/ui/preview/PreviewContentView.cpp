#include "ui/preview/PreviewContentView.h"

#include "core/Background.h"
#include "document/FileOpenRouter.h"
#include "document/preview/PreviewDocument.h"
#include "pdfview/view/PDFView.h"
#include "ui/preview/UnsupportedFileView.h"
#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ToolbarLabeledButton.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace zepla::ui {

PreviewContentView::PreviewContentView(const QString& path, bool isSupported, QWidget* parent)
    : QWidget(parent), m_path(path), m_isSupported(isSupported) {
    if (m_isSupported) {
        buildPreview();
        return;
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new UnsupportedFileView(path, this));
}

PreviewContentView::~PreviewContentView() {
    *m_cancelled = true;
}

QString PreviewContentView::noTextMessage() {
    return QStringLiteral(
        "Zepla couldn’t extract text from this file yet — this can happen right after "
        "downloading a file, before its text has been read. Try again in a moment, or ask about "
        "it visually using what’s shown in the preview.");
}

void PreviewContentView::buildPreview() {
    auto* toolbar = new QWidget(this);
    toolbar->setAutoFillBackground(true);
    QPalette palette = toolbar->palette();
    palette.setColor(QPalette::Window, Color::appTint());
    toolbar->setPalette(palette);
    auto* bar = new QHBoxLayout(toolbar);
    bar->setContentsMargins(10, 6, 10, 6);
    m_open = new ToolbarLabeledButton(
        QStringLiteral("doc.badge.plus"), QStringLiteral("Open"), false, Color::brandBlue(),
        [this] { openNewDocument(); }, toolbar);
    m_open->setToolTip(QStringLiteral("Open another file…"));
    // The assistant panel is not part of Zepla yet: Ask stays disabled until it is.
    m_ask = new ToolbarLabeledButton(QStringLiteral("sparkles"), QStringLiteral("Ask"), false,
                                     Color::brandBlue(), {}, toolbar);
    m_ask->setToolTip(QStringLiteral("Ask the AI assistant about this document"));
    m_ask->setEnabled(false);
    bar->addWidget(m_open);
    bar->addStretch(1);
    bar->addWidget(m_ask);

    m_pdfView = new pdfview::PDFView(this);
    m_pdfView->setBackgroundColor(Color::appTint());

    m_error = new QLabel(this);
    m_error->setWordWrap(true);
    m_error->setStyleSheet(QStringLiteral("color: #c62828; padding: 6px 12px;"));
    m_error->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(m_error);
    layout->addWidget(m_pdfView, 1);

    m_capsule = new QWidget(this);
    m_capsule->setObjectName(QStringLiteral("readingCapsule"));
    m_capsule->setAttribute(Qt::WA_StyledBackground);
    m_capsule->setStyleSheet(QStringLiteral("#readingCapsule { background: %1; border-radius: 11px; }")
                                 .arg(Color::appTint().name()));
    auto* capsuleLayout = new QHBoxLayout(m_capsule);
    capsuleLayout->setContentsMargins(10, 5, 10, 5);
    capsuleLayout->setSpacing(5);
    QFont font;
    font.setPointSize(11);
    font.setWeight(QFont::Medium);
    auto* symbol = new QLabel(m_capsule);
    symbol->setPixmap(Symbols::pixmap(QStringLiteral("text.magnifyingglass"), 12, Color::secondary(this),
                                      false, devicePixelRatioF()));
    auto* label = new QLabel(QStringLiteral("Reading document…"), m_capsule);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: %1;").arg(Color::secondary(this).name(QColor::HexArgb)));
    capsuleLayout->addWidget(symbol);
    capsuleLayout->addWidget(label);
    m_capsule->raise();
}

void PreviewContentView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_isSupported)
        startExtraction();
    placeCapsule();
}

void PreviewContentView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeCapsule();
}

void PreviewContentView::placeCapsule() {
    if (!m_capsule)
        return;
    m_capsule->adjustSize();
    const QRect area = m_pdfView->geometry();
    m_capsule->move(area.left() + (area.width() - m_capsule->width()) / 2, area.top() + 10);
    m_capsule->raise();
}

void PreviewContentView::startExtraction() {
    if (m_didAttemptExtraction)
        return;
    m_didAttemptExtraction = true;
    platform::inBackground<document::PreviewDocument>(
        [path = m_path, cancelled = m_cancelled] {
            return document::loadPreviewDocument(path, cancelled.get());
        },
        this,
        [this](document::PreviewDocument loaded) {
            if (loaded.pdf)
                m_pdfView->setDocument(loaded.pdf);
            else
                m_error->setText(QStringLiteral("This file couldn’t be shown. %1").arg(loaded.error));
            m_error->setVisible(!loaded.pdf);
            m_indexedText = loaded.indexedText.isEmpty() ? noTextMessage() : loaded.indexedText;
            m_textReady = true;
            m_capsule->hide();
            emit textReady();
        });
}

void PreviewContentView::openNewDocument() {
    const QString chosen = QFileDialog::getOpenFileName(this, tr("Open"), QString(),
                                                        document::FileOpenRouter::openDialogNameFilter());
    if (!chosen.isEmpty())
        document::FileOpenRouter::open(chosen);
}

} // namespace zepla::ui
