#include "ui/preview/PreviewContentView.h"

#include "assistant/AssistantViewModel.h"
#include "core/Background.h"
#include "document/FileOpenRouter.h"
#include "document/preview/PreviewDocument.h"
#include "pdfview/view/PDFView.h"
#include "ui/assistant/AssistantPanel.h"
#include "ui/preview/UnsupportedFileView.h"
#include "ui/theme/Colors.h"
#include "ui/theme/DialogSizing.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ToolbarLabeledButton.h"

#include <QFileDialog>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QVariantAnimation>

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
    m_ask = new ToolbarLabeledButton(
        QStringLiteral("sparkles"), QStringLiteral("Ask"), false, Color::brandBlue(),
        [this] { setShowAssistant(!m_showAssistant); }, toolbar);
    m_ask->setToolTip(QStringLiteral("Ask the AI assistant about this document"));
    // There is nothing to ask about until the text is read.
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
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(m_pdfView, 1);
    layout->addLayout(row, 1);

    // The panel enters from the trailing edge, fading in: the slot widens and uncovers it from its leading
    // side; it leaves the same way back.
    m_assistantSlot = new QWidget(this);
    auto* slotLayout = new QHBoxLayout(m_assistantSlot);
    slotLayout->setContentsMargins(0, 0, 0, 0);
    slotLayout->setSpacing(0);
    auto* divider = new QFrame(m_assistantSlot);
    divider->setFrameShape(QFrame::VLine);
    divider->setFixedWidth(1);
    slotLayout->addWidget(divider);
    slotLayout->addStretch(1);
    m_assistantSlot->setFixedWidth(0);
    m_assistantSlot->hide();
    row->addWidget(m_assistantSlot);
    m_slide = new QVariantAnimation(this);
    m_slide->setDuration(assistantAnimationMs);
    m_slide->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_slide, &QVariantAnimation::valueChanged, m_assistantSlot, [this](const QVariant& value) {
        m_assistantSlot->setFixedWidth(value.toInt());
        if (auto* fade = qobject_cast<QGraphicsOpacityEffect*>(m_assistantSlot->graphicsEffect()))
            fade->setOpacity(value.toDouble() / (1 + assistantWidth));
    });
    // The fade is dropped once still, so that the panel is drawn directly.
    connect(m_slide, &QVariantAnimation::finished, m_assistantSlot, [this] {
        m_assistantSlot->setGraphicsEffect(nullptr);
        m_assistantSlot->setVisible(m_showAssistant);
    });

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
    using Loaded = Result<document::PreviewDocument, QString>;
    platform::inBackground<Loaded>(
        [path = m_path, cancelled = m_cancelled] {
            return document::loadPreviewDocument(path, cancelled.get());
        },
        this,
        [this](Loaded loaded) {
            if (loaded)
                m_pdfView->setDocument(loaded->pdf);
            else
                m_error->setText(QStringLiteral("This file couldn’t be shown. %1").arg(loaded.error()));
            m_error->setVisible(!loaded);
            const QString text = loaded ? loaded->indexedText : QString();
            m_indexedText = text.isEmpty() ? noTextMessage() : text;
            m_textReady = true;
            m_capsule->hide();
            makeAssistant();
            emit textReady();
        });
}

void PreviewContentView::setAssistantProvider(std::shared_ptr<const ai::AIProvider> provider) {
    m_provider = std::move(provider);
}

void PreviewContentView::makeAssistant() {
    auto source = ai::AssistantSource::textOnly({m_path, m_indexedText});
    m_assistant = std::make_shared<ai::AssistantViewModel>(
        std::move(source), m_provider ? m_provider : ai::AssistantViewModel::selectProvider());
    m_ask->setEnabled(true);
}

void PreviewContentView::setShowAssistant(bool show) {
    if (show == m_showAssistant || !m_assistant)
        return;
    m_showAssistant = show;
    if (show && !m_panel) {
        m_panel = new AssistantPanel(
            m_assistant, {}, [this] { setShowAssistant(false); }, m_assistantSlot);
        m_panel->setFixedWidth(assistantWidth);
        static_cast<QHBoxLayout*>(m_assistantSlot->layout())->insertWidget(1, m_panel);
    }
    m_ask->setSelected(show);
    const int to = show ? 1 + assistantWidth : 0;
    m_slide->stop();
    if (isVisible()) {
        m_slide->setStartValue(m_assistantSlot->isHidden() ? 0 : m_assistantSlot->width());
        m_slide->setEndValue(to);
        if (!m_assistantSlot->graphicsEffect())
            m_assistantSlot->setGraphicsEffect(new QGraphicsOpacityEffect);
        m_assistantSlot->show();
        m_slide->start();
    } else {
        m_assistantSlot->setFixedWidth(to);
        m_assistantSlot->setVisible(show);
    }
    emit showAssistantChanged(show);
}

void PreviewContentView::openNewDocument() {
    QFileDialog dialog(window(), tr("Open"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(document::FileOpenRouter::openDialogNameFilter());
    sizeFileDialogToColumns(dialog);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        document::FileOpenRouter::open(dialog.selectedFiles().constFirst());
}

} // namespace zepla::ui
