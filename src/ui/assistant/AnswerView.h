// The view of one Markdown text of the conversation, in a colour.
#pragma once

#include <QColor>
#include <QString>

class QWidget;

namespace zepla::ui {

QWidget* makeMarkdownView(const QString& text, const QColor& colour, QWidget* parent = nullptr);

} // namespace zepla::ui
