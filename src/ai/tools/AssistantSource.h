// What an assistant works on: a PDF in a document window, seen through that window's viewer, or the
// extracted text of a file shown read-only.
#pragma once

#include "pdf/PdfDocument.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>
#include <variant>

namespace zepla::ai {

// The window's PDF view as the tools use it. The window's coordinator provides it; the engine knows no
// widgets.
class AssistantViewer : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // False once the window's view is gone.
    virtual bool hasView() const = 0;
    // Zero-based index of the page shown, nothing without a view or a document.
    virtual std::optional<int> currentPageIndex() const = 0;
    virtual void goToPage(int pageIndex) = 0;
    // The text the user has selected in the view, empty when nothing is selected.
    virtual QString selectionText() const = 0;
    // A sticky note near the top right of the page, undoable like any annotation; false when it could not
    // be written.
    virtual bool addNote(const QString& text, int pageIndex) = 0;
};

// A PDF in a document window. Both are held weakly: tools outliving their window answer without them.
struct AssistantContext {
    std::weak_ptr<pdf::Document> pdfDocument;
    QPointer<AssistantViewer> viewer;
    // Empty for a document without a file.
    QString filePath;
};

struct TextOnlyAssistantContext {
    QString filePath;
    // The file's text, or a message saying why there is none.
    QString extractedText;
};

struct AssistantSource {
    std::variant<AssistantContext, TextOnlyAssistantContext> context;

    static AssistantSource pdf(AssistantContext context) { return {std::move(context)}; }
    static AssistantSource textOnly(TextOnlyAssistantContext context) { return {std::move(context)}; }

    bool isTextOnly() const { return std::holds_alternative<TextOnlyAssistantContext>(context); }
    // The file's path, empty when there is none.
    QString filePath() const {
        return std::visit([](const auto& c) { return c.filePath; }, context);
    }
};

} // namespace zepla::ai
