#include "ui/sheets/WatermarkSheetView.h"

#include "annotations/WatermarkApplier.h"
#include "ui/sheets/SheetParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace zepla::ui {

namespace {

// The slider moves in thousandths of opacity, fine enough to feel continuous.
constexpr int sliderSteps = 1000;

bool isBlank(const QString& text) {
    for (QChar c : text)
        if (c != u' ' && c != u'\t')
            return false;
    return true;
}

} // namespace

WatermarkSheetView::WatermarkSheetView(document::PDFEditorDocument& document,
                                       platform::UndoManager* undoManager, QWidget* parent)
    : QDialog(parent), m_document(document), m_undoManager(undoManager) {
    setWindowTitle(QStringLiteral("Add Watermark"));
    setFixedWidth(320);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(14);
    layout->addWidget(SheetParts::heading(QStringLiteral("Add Watermark"), this));
    layout->addWidget(
        SheetParts::secondaryText(QStringLiteral("Stamped diagonally on every page."), 12, this));
    m_text = new QLineEdit(QStringLiteral("CONFIDENTIAL"), this);
    m_text->setPlaceholderText(QStringLiteral("Watermark text"));
    layout->addWidget(m_text);

    auto* opacityColumn = new QVBoxLayout;
    opacityColumn->setSpacing(4);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(qRound(minimumOpacity * sliderSteps), qRound(maximumOpacity * sliderSteps));
    opacityColumn->addWidget(SheetParts::caption(QStringLiteral("Opacity"), this));
    opacityColumn->addWidget(m_slider);
    layout->addLayout(opacityColumn);
    setOpacity(0.25);

    m_apply = new QPushButton(QStringLiteral("Apply"), this);
    m_apply->setAutoDefault(false); // neither button answers Return
    layout->addLayout(SheetParts::cancelAndConfirm(this, m_apply));

    connect(m_text, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_apply->setEnabled(!isBlank(text)); });
    connect(m_apply, &QPushButton::clicked, this, &WatermarkSheetView::apply);
}

double WatermarkSheetView::opacity() const {
    return double(m_slider->value()) / sliderSteps;
}

void WatermarkSheetView::setOpacity(double opacity) {
    m_slider->setValue(qRound(opacity * sliderSteps));
}

void WatermarkSheetView::apply() {
    if (isBlank(m_text->text()))
        return;
    annotations::WatermarkApplier::apply(m_text->text(), opacity(), m_document, m_undoManager);
    accept();
}

} // namespace zepla::ui
