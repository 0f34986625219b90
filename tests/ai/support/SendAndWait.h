// Runs one provider request through the event loop and hands back what its completion received.
#pragma once

#include "messages/AIProvider.h"

#include <optional>

namespace zepla::ai::test {

// Nothing when the completion ran inside `send`, ran more than once, or did not run within `waitMillis`.
std::optional<AIProviderResult> sendAndWait(const AIProvider& provider, const QList<AIMessage>& history,
                                            const QList<AssistantTool>& tools = {},
                                            AIModelPreference preference = AIModelPreference::balanced,
                                            int waitMillis = 20000);

} // namespace zepla::ai::test
