#include "ui/assistant/AnswerView.h"

#include "ui/markdown/MarkdownContent.h"

namespace zepla::ui {

QWidget* makeMarkdownView(const QString& text, const QColor& colour, QWidget* parent) {
    return new MarkdownContent(text, colour, parent);
}

} // namespace zepla::ui
