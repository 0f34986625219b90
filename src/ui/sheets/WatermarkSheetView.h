// The "Add Watermark" sheet: the text and its opacity, stamped diagonally on every page by Apply.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QSlider;

namespace zepla::platform {
class UndoManager;
}

namespace zepla::document {
class PDFEditorDocument;
}

namespace zepla::ui {

class WatermarkSheetView : public QDialog {
    Q_OBJECT

public:
    static constexpr double minimumOpacity = 0.05;
    static constexpr double maximumOpacity = 0.6;

    WatermarkSheetView(document::PDFEditorDocument& document, platform::UndoManager* undoManager,
                       QWidget* parent = nullptr);

    QLineEdit* textField() const { return m_text; }
    QSlider* opacitySlider() const { return m_slider; }
    QPushButton* applyButton() const { return m_apply; }
    double opacity() const;
    void setOpacity(double opacity);

    // Stamps the text as typed at the chosen opacity and closes the sheet.
    void apply();

private:
    document::PDFEditorDocument& m_document;
    platform::UndoManager* m_undoManager;
    QLineEdit* m_text;
    QSlider* m_slider;
    QPushButton* m_apply;
};

} // namespace zepla::ui
