// The page context menu: with text selected, the three markups, copying and ready-made questions about the
// selection for the assistant; without, a note or a text box at the click and questions about the page,
// including reading its text by recognition.
#include "AnnotatingPDFView.h"

#include "document/ocr/PageOCRExtractor.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>

namespace zepla::pdfview {

namespace {

QString quoted(const QString& text) {
    return QStringLiteral("“") + text + QStringLiteral("”");
}

} // namespace

void AnnotatingPDFView::contextMenuEvent(QContextMenuEvent* event) {
    const QPointF at = event->pos();
    const int page = document() ? pageForPoint(at, true) : -1;
    if (page < 0)
        return;
    QMenu* menu = buildContextMenu(page, at);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

QMenu* AnnotatingPDFView::buildContextMenu(int pageIndex, const QPointF& viewPoint) {
    auto* menu = new QMenu(this);
    const QString selected = selectedText();
    const QPointer<AnnotatingPDFView> self(this);
    if (!selected.isEmpty()) {
        for (annotations::MarkupAction action : annotations::EnumCases<annotations::MarkupAction>::all) {
            menu->addAction(annotations::label(action), this, [self, action] {
                if (self)
                    self->applyMarkup(action);
            });
        }
        menu->addSeparator();
        menu->addAction(QStringLiteral("Copy"), this,
                        [selected] { QGuiApplication::clipboard()->setText(selected); });
        menu->addSeparator();
        menu->addMenu(askAISubmenuForSelection(selected, menu));
        return menu;
    }
    menu->addAction(QStringLiteral("Add Note Here"), this, [self, viewPoint] {
        if (self)
            self->addNote(viewPoint);
    });
    menu->addAction(QStringLiteral("Add Text Box Here"), this, [self, viewPoint] {
        if (self && self->pageForPoint(viewPoint, true) >= 0)
            self->startInlineTextEditor(viewPoint);
    });
    menu->addSeparator();
    menu->addMenu(askAISubmenuForPage(pageIndex, menu));
    return menu;
}

QMenu* AnnotatingPDFView::askAISubmenuForSelection(const QString& selected, QWidget* parent) {
    auto* submenu = new QMenu(QStringLiteral("Ask AI"), parent);
    const QPointer<AnnotatingPDFView> self(this);
    auto ask = [self](const QString& prompt, bool autoSubmit) {
        return [self, prompt, autoSubmit] {
            if (self && self->onAskAI)
                self->onAskAI(prompt, autoSubmit);
        };
    };
    const QString q = quoted(selected);
    const struct {
        const char* title;
        QString prompt;
        bool autoSubmit;
    } items[] = {
        {"Explain This", QStringLiteral("Explain this: ") + q, true},
        {"Summarize Selection", QStringLiteral("Summarize this: ") + q, true},
        {"Simplify / Plain English", QStringLiteral("Rewrite this in simple, plain English: ") + q, true},
        {"Extract Key Points",
         QStringLiteral("Extract the key points from this as a short bullet list: ") + q, true},
        {"Generate Study Questions", QStringLiteral("Write 3 short study questions based on this: ") + q,
         true},
        {"Translate…", QStringLiteral("Translate this to <language>: ") + q, false},
    };
    for (const auto& item : items)
        submenu->addAction(QString::fromUtf8(item.title), this, ask(item.prompt, item.autoSubmit));
    submenu->addSeparator();
    submenu->addAction(QStringLiteral("Send to AI Assistant"), this, ask(selected, false));
    return submenu;
}

QMenu* AnnotatingPDFView::askAISubmenuForPage(int pageIndex, QWidget* parent) {
    auto* submenu = new QMenu(QStringLiteral("Ask AI"), parent);
    const pdf::PageHandle page = document()->page(pageIndex);
    const QPointer<AnnotatingPDFView> self(this);
    submenu->addAction(QStringLiteral("Summarize This Page"), this, [self, page] {
        if (self)
            self->askAIAboutPage(page);
    });
    submenu->addAction(QStringLiteral("Extract Text with AI (OCR)"), this, [self, page] {
        if (self)
            self->extractTextViaOCR(page);
    });
    return submenu;
}

void AnnotatingPDFView::askAIAboutPage(const pdf::PageHandle& page) {
    const int index = document()->indexOf(page);
    if (index < 0 || !onAskAI)
        return;
    const pdf::Result<QString> text = document()->pageText(index);
    const QString trimmed = text ? text.value().trimmed() : QString();
    const QString n = QString::number(index + 1);
    onAskAI(trimmed.isEmpty()
                ? QStringLiteral("Page ") + n +
                      QStringLiteral(" has no extractable text (it may be a scanned image). Let me "
                                     "know that directly rather than guessing its content.")
                : QStringLiteral("Summarize page ") + n + QStringLiteral(": ") + quoted(trimmed),
            true);
}

void AnnotatingPDFView::extractTextViaOCR(const pdf::PageHandle& page) {
    const int index = document()->indexOf(page);
    if (index < 0)
        return;
    const QPointer<AnnotatingPDFView> self(this);
    document::PageOCRExtractor::recognizeText(*document(), index, this, [self](std::optional<QString> text) {
        if (!self || !self->onTextExtracted)
            return;
        if (text && !text->isEmpty()) {
            QGuiApplication::clipboard()->setText(*text);
            self->onTextExtracted(*text);
        } else {
            self->onTextExtracted(QStringLiteral("No text could be recognized on this page."));
        }
    });
}

} // namespace zepla::pdfview
