#include "ui/assistant/AnswerView.h"

#include <QLabel>

namespace zepla::ui {

// Plain wrapped text until the Markdown renderer is part of the tree.
QWidget* makeMarkdownView(const QString& text, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

} // namespace zepla::ui
