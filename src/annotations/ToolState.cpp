#include "ToolState.h"

namespace zepla::annotations {

ToolState::ToolState(QObject* parent) : QObject(parent) {}

QColor ToolState::initialColor() {
    return QColor(242, 169, 59);
}

template <class T, class Signal> void ToolState::assign(T& field, const T& value, Signal signal) {
    if (field == value)
        return;
    field = value;
    emit changed();
    emit(this->*signal)(value);
}

void ToolState::setTool(AnnotationTool tool) {
    assign(m_tool, tool, &ToolState::toolChanged);
}
void ToolState::setColor(const QColor& color) {
    assign(m_color, color, &ToolState::colorChanged);
}
void ToolState::setLineWidth(qreal width) {
    assign(m_lineWidth, width, &ToolState::lineWidthChanged);
}
void ToolState::setFontSize(qreal size) {
    assign(m_fontSize, size, &ToolState::fontSizeChanged);
}
void ToolState::setFontChoice(AnnotationFont font) {
    assign(m_fontChoice, font, &ToolState::fontChoiceChanged);
}
void ToolState::setEraserSize(qreal size) {
    assign(m_eraserSize, size, &ToolState::eraserSizeChanged);
}
void ToolState::setEraserMode(EraserMode mode) {
    assign(m_eraserMode, mode, &ToolState::eraserModeChanged);
}
void ToolState::setFormFieldMode(FormFieldMode mode) {
    assign(m_formFieldMode, mode, &ToolState::formFieldModeChanged);
}
void ToolState::setLineEndStyle(LineEndStyle style) {
    assign(m_lineEndStyle, style, &ToolState::lineEndStyleChanged);
}
void ToolState::setActiveMarkupMode(std::optional<MarkupAction> mode) {
    assign(m_activeMarkupMode, mode, &ToolState::activeMarkupModeChanged);
}
void ToolState::setTextEditingModeEnabled(bool enabled) {
    assign(m_textEditingModeEnabled, enabled, &ToolState::textEditingModeEnabledChanged);
}

} // namespace zepla::annotations
