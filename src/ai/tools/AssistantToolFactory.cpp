#include "tools/AssistantToolFactory.h"

namespace zepla::ai::AssistantToolFactory {

QList<AssistantTool> makeTools(const AssistantSource& source) {
    if (const auto* text = std::get_if<TextOnlyAssistantContext>(&source.context))
        return {getFullText(*text), searchText(*text)};
    const auto& pdf = std::get<AssistantContext>(source.context);
    return {goToPage(pdf),        goToSection(pdf),    getSelectionText(pdf), getPageText(pdf),
            getDocumentText(pdf), searchDocument(pdf), addNote(pdf)};
}

} // namespace zepla::ai::AssistantToolFactory
