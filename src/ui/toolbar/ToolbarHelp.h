// The hover help of the toolbar's buttons, in the wording of this desktop.
#pragma once

#include "annotations/AnnotationTool.h"

#include <QString>

namespace zepla::ui::ToolbarHelp {

// "Rectangle (Ctrl+3)": the tool's label and its shortcut.
QString tool(annotations::AnnotationTool tool);
// What a markup button does, with its shortcut.
QString markup(annotations::MarkupAction action);

QString open();
QString sidebar();
QString editText();
QString ocrPage();
QString ask();
QString settings();
QString zoomOut();
QString zoomToFit();
QString zoomIn();
QString previousPage();
QString nextPage();

} // namespace zepla::ui::ToolbarHelp
