// The tools offered to the model for one source: seven for a PDF in a document window, two for the text of
// a file shown read-only. Tools never fail outward: every problem is a result text for the model.
#pragma once

#include "messages/AIProvider.h"
#include "tools/AssistantSource.h"

#include <QList>

namespace zepla::ai::AssistantToolFactory {

// Whole-text results are cut after this many characters.
inline constexpr int wholeTextLimit = 60000;
inline constexpr int searchHitLimit = 5;
// Sections listed when no outline title matches.
inline constexpr int listedSectionLimit = 15;
// Characters of context on each side of a match in the extracted text of a file.
inline constexpr int textExcerptContext = 60;

QList<AssistantTool> makeTools(const AssistantSource& source);

// The builders, one per tool, in the order the model is offered them.
AssistantTool goToPage(const AssistantContext& context);
AssistantTool goToSection(const AssistantContext& context);
AssistantTool getSelectionText(const AssistantContext& context);
AssistantTool getPageText(const AssistantContext& context);
AssistantTool getDocumentText(const AssistantContext& context);
AssistantTool searchDocument(const AssistantContext& context);
AssistantTool addNote(const AssistantContext& context);
AssistantTool getFullText(const TextOnlyAssistantContext& context);
AssistantTool searchText(const TextOnlyAssistantContext& context);

} // namespace zepla::ai::AssistantToolFactory
