// The Sign button's popover: the signature picker in a popup under the button while the workspace wants it
// shown. Closing the popup (a click outside, or a signature chosen) says so to the workspace; the pad opens
// as a sheet of the window, and the picker comes back when the pad closes.
#pragma once

#include "ui/signatures/SignaturePadSheet.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace zepla::ui {

class PDFEditorWorkspaceView;
class SignaturePickerView;

class SignaturePopover : public QObject {
    Q_OBJECT

public:
    SignaturePopover(QWidget* button, PDFEditorWorkspaceView& workspace);
    ~SignaturePopover() override;

    QWidget* popup() const { return m_popup; }
    SignaturePickerView* picker() const { return m_picker; }
    SignaturePadSheet* pad() const { return m_pad; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show(bool shown);
    void openPad();

    QWidget* m_button;
    PDFEditorWorkspaceView& m_workspace;
    QPointer<QWidget> m_popup;
    SignaturePickerView* m_picker = nullptr;
    QPointer<SignaturePadSheet> m_pad;
};

} // namespace zepla::ui
