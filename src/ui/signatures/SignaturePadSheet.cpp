#include "ui/signatures/SignaturePadSheet.h"

#include "annotations/SignatureDrawing.h"
#include "annotations/SignatureStore.h"
#include "ui/signatures/SignaturePadCanvas.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zepla::ui {

SignaturePadSheet::SignaturePadSheet(annotations::SignatureStore& store, QWidget* parent)
    : QDialog(parent), m_store(store), m_canvas(new SignaturePadCanvas(this)),
      m_clear(new QPushButton(tr("Clear"), this)), m_cancel(new QPushButton(tr("Cancel"), this)),
      m_save(new QPushButton(tr("Save"), this)) {
    setWindowTitle(tr("Draw Your Signature"));
    setWindowModality(Qt::WindowModal);
    setFixedWidth(468);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);
    auto* title = new QLabel(tr("Draw Your Signature"), this);
    QFont font = title->font();
    font.setPixelSize(15);
    font.setWeight(QFont::DemiBold);
    title->setFont(font);
    column->addWidget(title, 0, Qt::AlignHCenter);
    column->addWidget(m_canvas, 0, Qt::AlignHCenter);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_clear);
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_save);
    column->addLayout(buttons);

    m_clear->setAutoDefault(false);
    m_cancel->setAutoDefault(false);
    m_save->setDefault(true);
    const auto follow = [this] {
        const bool drawn = !m_canvas->strokes().isEmpty();
        m_clear->setEnabled(drawn);
        m_save->setEnabled(drawn);
    };
    connect(m_canvas, &SignaturePadCanvas::strokesChanged, this, follow);
    follow();
    connect(m_clear, &QPushButton::clicked, m_canvas, &SignaturePadCanvas::clear);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_save, &QPushButton::clicked, this, &SignaturePadSheet::save);
}

void SignaturePadSheet::save() {
    if (m_canvas->strokes().isEmpty())
        return;
    const std::optional<QImage> trimmed = annotations::SignatureDrawing::trimmedToOpaqueContent(
        annotations::SignatureDrawing::render(m_canvas->strokes()));
    // Nothing to keep: the sheet stays open with its strokes.
    if (!trimmed)
        return;
    m_store.add(*trimmed);
    accept();
}

} // namespace zepla::ui
