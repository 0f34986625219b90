// The sheet on which a new signature is drawn: the canvas, then Clear, Cancel (Esc) and Save (Return). Save
// renders the strokes at twice the size, trims them to the ink and adds the image to the store, where it
// becomes the active signature.
#pragma once

#include <QDialog>

class QPushButton;

namespace zepla::annotations {
class SignatureStore;
}

namespace zepla::ui {

class SignaturePadCanvas;

class SignaturePadSheet : public QDialog {
    Q_OBJECT

public:
    SignaturePadSheet(annotations::SignatureStore& store, QWidget* parent = nullptr);

    SignaturePadCanvas* canvas() const { return m_canvas; }
    QPushButton* clearButton() const { return m_clear; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* cancelButton() const { return m_cancel; }

    void save();

private:
    annotations::SignatureStore& m_store;
    SignaturePadCanvas* m_canvas;
    QPushButton* m_clear;
    QPushButton* m_cancel;
    QPushButton* m_save;
};

} // namespace zepla::ui
