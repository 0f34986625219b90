#include "ui/toolbar/ToolbarHelp.h"

#include "core/Wording.h"

namespace zepla::ui::ToolbarHelp {

using platform::adaptWording;

QString tool(annotations::AnnotationTool tool) {
    return adaptWording(annotations::label(tool) + QStringLiteral(" (⌘") + annotations::shortcutKey(tool) +
                        QLatin1Char(')'));
}

// The lower-cased label takes "ing" as it stands ("underlineing"): the wording users already know.
QString markup(annotations::MarkupAction action) {
    const QString label = annotations::label(action);
    return adaptWording(label + QStringLiteral(" selected text, or click with nothing selected to keep ") +
                        label.toLower() +
                        QStringLiteral("ing whatever you select next, until you click it again (⌘⇧") +
                        annotations::shortcutKey(action).toUpper() + QLatin1Char(')'));
}

QString open() {
    return QStringLiteral("Open a PDF or Word document…");
}

QString sidebar() {
    return adaptWording(QStringLiteral("Toggle Page Sidebar (⌥⌘S)"));
}

QString editText() {
    return QStringLiteral("Editing Mode: click any line of text in the PDF to edit it in place");
}

QString ocrPage() {
    return QStringLiteral(
        "Recognize text on the current page, copy it out, and make it selectable if it wasn't already");
}

QString ask() {
    return adaptWording(QStringLiteral("Ask the AI assistant about this PDF (⌘K)"));
}

QString settings() {
    return adaptWording(QStringLiteral("AI Assistant Settings… (⌘,)"));
}

QString zoomOut() {
    return adaptWording(QStringLiteral("Zoom Out (⌘-)"));
}

QString zoomToFit() {
    return adaptWording(QStringLiteral("Zoom to Fit (⌘0)"));
}

QString zoomIn() {
    return adaptWording(QStringLiteral("Zoom In (⌘+)"));
}

QString previousPage() {
    return QStringLiteral("Previous Page");
}

QString nextPage() {
    return QStringLiteral("Next Page");
}

} // namespace zepla::ui::ToolbarHelp
