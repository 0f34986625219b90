// The tool's settings at the head of the toolbar's trailing group, following the current tool: eraser mode
// and size for the eraser, the field kind for the form tool, and for every other tool the colour presets,
// the custom colour and the stroke width, with the font and its size added for text boxes. Every control
// writes the tool state only.
#pragma once

#include <QWidget>

namespace zepla::annotations {
class ToolState;
}

namespace zepla::ui {

class ColorSwatchButton;
class ColorWell;
class FontMenuButton;
class SegmentedPicker;
class SizeControl;

class ColorAndWidthGroup : public QWidget {
    Q_OBJECT

public:
    explicit ColorAndWidthGroup(annotations::ToolState& toolState, QWidget* parent = nullptr);

    // The largest size any tool's settings take (the text box's, as a rule), so that the toolbar lays its
    // rows out once for all tools.
    QSize sizeHint() const override;
    // The width the current tool's settings take, at the height of `sizeHint`.
    QSize minimumSizeHint() const override;

    // The three layouts; exactly one is visible.
    QWidget* colorControls() const { return m_colorControls; }
    QWidget* eraserGroup() const { return m_eraserGroup; }
    QWidget* formGroup() const { return m_formGroup; }
    // Inside the colour controls, shown for the text-box tool only.
    QWidget* fontGroup() const { return m_fontGroup; }

    QList<ColorSwatchButton*> swatches() const { return m_swatches; }
    ColorWell* colorWell() const { return m_colorWell; }
    SizeControl* strokeWidth() const { return m_strokeWidth; }
    SizeControl* eraserSize() const { return m_eraserSize; }
    SizeControl* fontSize() const { return m_fontSize; }
    SegmentedPicker* eraserMode() const { return m_eraserMode; }
    SegmentedPicker* formFieldMode() const { return m_formFieldMode; }
    FontMenuButton* fontMenu() const { return m_fontMenu; }

private:
    QWidget* makeColorControls();
    QWidget* makeEraserGroup();
    QWidget* makeFormGroup();
    QWidget* makeFontGroup();
    void followTool();

    annotations::ToolState& m_toolState;
    QList<ColorSwatchButton*> m_swatches;
    ColorWell* m_colorWell = nullptr;
    SizeControl* m_strokeWidth = nullptr;
    SizeControl* m_eraserSize = nullptr;
    SizeControl* m_fontSize = nullptr;
    SegmentedPicker* m_eraserMode = nullptr;
    SegmentedPicker* m_formFieldMode = nullptr;
    FontMenuButton* m_fontMenu = nullptr;
    QWidget* m_fontGroup = nullptr;
    QWidget* m_fontDivider = nullptr;
    QWidget* m_colorControls;
    QWidget* m_eraserGroup;
    QWidget* m_formGroup;
};

} // namespace zepla::ui
