// What a gesture on a page means right now: the active tool and its settings, set by the window's toolbar
// and read by the annotating view on every mouse event. One per document window; nothing is persisted.
#pragma once

#include "AnnotationTool.h"
#include "SignatureStore.h"

#include <QColor>
#include <QObject>

#include <optional>

namespace zepla::annotations {

class ToolState : public QObject {
    Q_OBJECT

public:
    explicit ToolState(QObject* parent = nullptr);

    // The colour new annotations start from (the theme's marker amber).
    static QColor initialColor();

    AnnotationTool tool() const { return m_tool; }
    void setTool(AnnotationTool tool);
    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    qreal lineWidth() const { return m_lineWidth; }
    void setLineWidth(qreal width);
    qreal fontSize() const { return m_fontSize; }
    void setFontSize(qreal size);
    AnnotationFont fontChoice() const { return m_fontChoice; }
    void setFontChoice(AnnotationFont font);
    qreal eraserSize() const { return m_eraserSize; }
    void setEraserSize(qreal size);
    EraserMode eraserMode() const { return m_eraserMode; }
    void setEraserMode(EraserMode mode);
    FormFieldMode formFieldMode() const { return m_formFieldMode; }
    void setFormFieldMode(FormFieldMode mode);
    LineEndStyle lineEndStyle() const { return m_lineEndStyle; }
    void setLineEndStyle(LineEndStyle style);
    // The sticky markup mode: each new text selection receives this markup.
    std::optional<MarkupAction> activeMarkupMode() const { return m_activeMarkupMode; }
    void setActiveMarkupMode(std::optional<MarkupAction> mode);
    bool isTextEditingModeEnabled() const { return m_textEditingModeEnabled; }
    void setTextEditingModeEnabled(bool enabled);

    SignatureStore& signatureStore() { return m_signatureStore; }

signals:
    // Any setting changed; the specific signals follow.
    void changed();
    void toolChanged(AnnotationTool tool);
    void colorChanged(const QColor& color);
    void lineWidthChanged(qreal width);
    void fontSizeChanged(qreal size);
    void fontChoiceChanged(AnnotationFont font);
    void eraserSizeChanged(qreal size);
    void eraserModeChanged(EraserMode mode);
    void formFieldModeChanged(FormFieldMode mode);
    void lineEndStyleChanged(LineEndStyle style);
    void activeMarkupModeChanged(std::optional<MarkupAction> mode);
    void textEditingModeEnabledChanged(bool enabled);

private:
    template <class T, class Signal> void assign(T& field, const T& value, Signal signal);

    AnnotationTool m_tool = AnnotationTool::select;
    QColor m_color = initialColor();
    qreal m_lineWidth = 1;
    qreal m_fontSize = 16;
    AnnotationFont m_fontChoice = AnnotationFont::system;
    qreal m_eraserSize = 20;
    EraserMode m_eraserMode = EraserMode::wholeStroke;
    FormFieldMode m_formFieldMode = FormFieldMode::text;
    LineEndStyle m_lineEndStyle = LineEndStyle::none;
    std::optional<MarkupAction> m_activeMarkupMode;
    bool m_textEditingModeEnabled = false;
    SignatureStore m_signatureStore;
};

} // namespace zepla::annotations
