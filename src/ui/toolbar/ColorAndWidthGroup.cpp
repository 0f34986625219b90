#include "ui/toolbar/ColorAndWidthGroup.h"

#include "annotations/ToolState.h"
#include "ui/theme/ColorSwatchButton.h"
#include "ui/theme/Colors.h"
#include "ui/theme/ToolbarSectionDivider.h"
#include "ui/toolbar/ColorWell.h"
#include "ui/toolbar/FontMenuButton.h"
#include "ui/toolbar/SegmentedPicker.h"
#include "ui/toolbar/SizeControl.h"

#include <QApplication>
#include <QHBoxLayout>

namespace zepla::ui {

using annotations::AnnotationTool;

namespace {

QHBoxLayout* row(QWidget* owner, int spacing) {
    auto* layout = new QHBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

template <class E> QStringList labels() {
    QStringList list;
    for (E value : annotations::allCases<E>())
        list << annotations::label(value);
    return list;
}

} // namespace

ColorAndWidthGroup::ColorAndWidthGroup(annotations::ToolState& toolState, QWidget* parent)
    : QWidget(parent), m_toolState(toolState), m_colorControls(makeColorControls()),
      m_eraserGroup(makeEraserGroup()), m_formGroup(makeFormGroup()) {
    QHBoxLayout* layout = row(this, 0);
    layout->setContentsMargins(6, 0, 6, 0);
    layout->addWidget(m_colorControls);
    layout->addWidget(m_eraserGroup);
    layout->addWidget(m_formGroup);
    connect(&toolState, &annotations::ToolState::toolChanged, this, &ColorAndWidthGroup::followTool);
    followTool();
}

QWidget* ColorAndWidthGroup::makeColorControls() {
    auto* controls = new QWidget(this);
    QHBoxLayout* layout = row(controls, 8);

    auto* presets = new QWidget(controls);
    QHBoxLayout* presetRow = row(presets, 7);
    for (const QColor& colour : Color::annotationPresets()) {
        auto* swatch = new ColorSwatchButton(colour, presets);
        swatch->setToolTip(QStringLiteral("Marker color presets"));
        connect(swatch, &ColorSwatchButton::colorSelected, &m_toolState, &annotations::ToolState::setColor);
        presetRow->addWidget(swatch);
        m_swatches << swatch;
    }
    layout->addWidget(presets);

    m_colorWell = new ColorWell(m_toolState.color(), controls);
    connect(m_colorWell, &ColorWell::colorChosen, &m_toolState, &annotations::ToolState::setColor);
    connect(&m_toolState, &annotations::ToolState::colorChanged, m_colorWell, &ColorWell::setColor);
    layout->addWidget(m_colorWell);

    m_fontDivider = new ToolbarSectionDivider(controls);
    layout->addWidget(m_fontDivider);
    m_fontGroup = makeFontGroup();
    m_fontGroup->setParent(controls);
    layout->addWidget(m_fontGroup);

    layout->addWidget(new ToolbarSectionDivider(controls));
    m_strokeWidth = new SizeControl(SizeSetting::strokeWidth(), m_toolState.lineWidth(), controls);
    connect(m_strokeWidth, &SizeControl::valueChosen, &m_toolState, &annotations::ToolState::setLineWidth);
    connect(&m_toolState, &annotations::ToolState::lineWidthChanged, m_strokeWidth, &SizeControl::setValue);
    layout->addWidget(m_strokeWidth);
    return controls;
}

QWidget* ColorAndWidthGroup::makeFontGroup() {
    auto* group = new QWidget(this);
    QHBoxLayout* layout = row(group, 8);
    m_fontMenu = new FontMenuButton(m_toolState.fontChoice(), group);
    connect(m_fontMenu, &FontMenuButton::fontChosen, &m_toolState, &annotations::ToolState::setFontChoice);
    connect(&m_toolState, &annotations::ToolState::fontChoiceChanged, m_fontMenu,
            &FontMenuButton::setCurrent);
    layout->addWidget(m_fontMenu);
    m_fontSize = new SizeControl(SizeSetting::fontSize(), m_toolState.fontSize(), group);
    connect(m_fontSize, &SizeControl::valueChosen, &m_toolState, &annotations::ToolState::setFontSize);
    connect(&m_toolState, &annotations::ToolState::fontSizeChanged, m_fontSize, &SizeControl::setValue);
    layout->addWidget(m_fontSize);
    return group;
}

QWidget* ColorAndWidthGroup::makeEraserGroup() {
    auto* group = new QWidget(this);
    QHBoxLayout* layout = row(group, 8);
    m_eraserMode = new SegmentedPicker(
        labels<annotations::EraserMode>(), static_cast<int>(m_toolState.eraserMode()), 130,
        QStringLiteral(
            "Line erases the whole stroke it touches; Precise erases only the part it passes over"),
        group);
    connect(m_eraserMode, &SegmentedPicker::chosen, this, [this](int index) {
        m_toolState.setEraserMode(annotations::allCases<annotations::EraserMode>()[index]);
    });
    connect(&m_toolState, &annotations::ToolState::eraserModeChanged, m_eraserMode,
            [this](annotations::EraserMode mode) { m_eraserMode->setCurrent(static_cast<int>(mode)); });
    layout->addWidget(m_eraserMode);
    layout->addWidget(new ToolbarSectionDivider(group));
    m_eraserSize = new SizeControl(SizeSetting::eraserSize(), m_toolState.eraserSize(), group);
    connect(m_eraserSize, &SizeControl::valueChosen, &m_toolState, &annotations::ToolState::setEraserSize);
    connect(&m_toolState, &annotations::ToolState::eraserSizeChanged, m_eraserSize, &SizeControl::setValue);
    layout->addWidget(m_eraserSize);
    return group;
}

QWidget* ColorAndWidthGroup::makeFormGroup() {
    auto* group = new QWidget(this);
    QHBoxLayout* layout = row(group, 0);
    m_formFieldMode = new SegmentedPicker(
        labels<annotations::FormFieldMode>(), static_cast<int>(m_toolState.formFieldMode()), 160,
        QStringLiteral("Drag on the page to place this kind of form field"), group);
    connect(m_formFieldMode, &SegmentedPicker::chosen, this, [this](int index) {
        m_toolState.setFormFieldMode(annotations::allCases<annotations::FormFieldMode>()[index]);
    });
    connect(&m_toolState, &annotations::ToolState::formFieldModeChanged, m_formFieldMode,
            [this](annotations::FormFieldMode mode) { m_formFieldMode->setCurrent(static_cast<int>(mode)); });
    layout->addWidget(m_formFieldMode);
    return group;
}

QSize ColorAndWidthGroup::sizeHint() const {
    // What a layout gives a shown widget: its size hint within its least and greatest sizes.
    const auto laidOutWidth = [](const QWidget* widget) {
        return widget->sizeHint().expandedTo(widget->minimumSize()).boundedTo(widget->maximumSize()).width();
    };
    QSize colour = m_colorControls->sizeHint();
    if (m_fontGroup->isHidden())
        colour.rwidth() += laidOutWidth(m_fontDivider) + laidOutWidth(m_fontGroup) +
                           2 * m_colorControls->layout()->spacing();
    const QMargins margins = layout()->contentsMargins();
    return colour.expandedTo(m_eraserGroup->sizeHint()).expandedTo(m_formGroup->sizeHint()) +
           QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

QSize ColorAndWidthGroup::minimumSizeHint() const {
    return {layout()->sizeHint().width(), sizeHint().height()};
}

void ColorAndWidthGroup::followTool() {
    const AnnotationTool tool = m_toolState.tool();
    // A field typed into keeps the keyboard only while it stays: hidden with the focus, it would hand the
    // focus on to the next field of the group, text selected, where the next keys would overwrite it. Its
    // number is committed as the focus leaves it.
    if (QWidget* focused = QApplication::focusWidget(); focused && isAncestorOf(focused))
        focused->clearFocus();
    m_eraserGroup->setVisible(tool == AnnotationTool::eraser);
    m_formGroup->setVisible(tool == AnnotationTool::form);
    m_colorControls->setVisible(tool != AnnotationTool::eraser && tool != AnnotationTool::form);
    m_fontDivider->setVisible(tool == AnnotationTool::textBox);
    m_fontGroup->setVisible(tool == AnnotationTool::textBox);
    updateGeometry();
}

} // namespace zepla::ui
