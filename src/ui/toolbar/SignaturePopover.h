// The Sign button's popover: the signature picker in a popup under the button while its owner wants it
// shown. Closing the popup (a click outside, or a signature chosen) asks to have it hidden; the pad opens as
// a sheet of the window, and asks for the picker back when it closes.
#pragma once

#include "ui/signatures/SignaturePadSheet.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace zepla::ui {

class SignaturePickerView;

class SignaturePopover : public QObject {
    Q_OBJECT

public:
    SignaturePopover(QWidget* button, annotations::SignatureStore& store);
    ~SignaturePopover() override;

    QWidget* popup() const { return m_popup; }
    SignaturePickerView* picker() const { return m_picker; }
    SignaturePadSheet* pad() const { return m_pad; }

    void show(bool shown);

signals:
    void shownRequested(bool shown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openPad();

    QWidget* m_button;
    annotations::SignatureStore& m_store;
    QPointer<QWidget> m_popup;
    SignaturePickerView* m_picker = nullptr;
    QPointer<SignaturePadSheet> m_pad;
};

} // namespace zepla::ui
