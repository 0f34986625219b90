// The system prompts sent with every request, kept verbatim in the library's resources.
#pragma once

#include <QString>

namespace zepla::ai::SystemPrompts {

// For a PDF in a document window.
QString document();
// For a file shown read-only: the document prompt and a paragraph on what this session cannot do.
QString preview();

} // namespace zepla::ai::SystemPrompts
