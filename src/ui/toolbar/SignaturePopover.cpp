#include "ui/toolbar/SignaturePopover.h"

#include "ui/signatures/SignaturePadSheet.h"
#include "ui/signatures/SignaturePickerView.h"

#include <QEvent>
#include <QVBoxLayout>

namespace zepla::ui {

SignaturePopover::SignaturePopover(QWidget* button, annotations::SignatureStore& store)
    : QObject(button), m_button(button), m_store(store) {}

SignaturePopover::~SignaturePopover() {
    if (m_popup) {
        m_popup->removeEventFilter(this);
        delete m_popup;
    }
}

// However the popup closed (a click outside, a signature chosen), the owner hears of it.
bool SignaturePopover::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_popup && event->type() == QEvent::Hide)
        emit shownRequested(false);
    return QObject::eventFilter(watched, event);
}

void SignaturePopover::show(bool shown) {
    if (!shown) {
        if (m_popup)
            m_popup->hide();
        return;
    }
    if (!m_popup) {
        m_popup = new QWidget(m_button, Qt::Popup);
        m_popup->installEventFilter(this);
        auto* layout = new QVBoxLayout(m_popup);
        layout->setContentsMargins(0, 0, 0, 0);
        m_picker = new SignaturePickerView(m_store, m_popup);
        layout->addWidget(m_picker);
        connect(m_picker, &SignaturePickerView::dismissRequested, m_popup, &QWidget::hide);
        connect(m_picker, &SignaturePickerView::padRequested, this, &SignaturePopover::openPad);
    }
    m_popup->adjustSize();
    m_popup->move(
        m_button->mapToGlobal(QPoint(m_button->width() / 2 - m_popup->width() / 2, m_button->height())));
    m_popup->show();
}

void SignaturePopover::openPad() {
    if (m_popup)
        m_popup->hide();
    m_pad = new SignaturePadSheet(m_store, m_button->window());
    m_pad->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_pad, &QDialog::finished, this, [this] { emit shownRequested(true); });
    m_pad->open();
}

} // namespace zepla::ui
