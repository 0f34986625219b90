# Assistant answers as widgets: the formula image renderer, inline Markdown with formulas and the block views.
target_sources(zepla_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/InlineFormulaObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InlineFormulaObject.h
  ${CMAKE_CURRENT_LIST_DIR}/InlineMarkdown.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InlineMarkdown.h
  ${CMAKE_CURRENT_LIST_DIR}/MarkdownBlockViews.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MarkdownBlockViews.h
  ${CMAKE_CURRENT_LIST_DIR}/MarkdownContent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MarkdownContent.h
  ${CMAKE_CURRENT_LIST_DIR}/MarkdownFonts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MarkdownFonts.h
  ${CMAKE_CURRENT_LIST_DIR}/MathImageRenderer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MathImageRenderer.h
  ${CMAKE_CURRENT_LIST_DIR}/NearbyViews.h
  ${CMAKE_CURRENT_LIST_DIR}/SliceBudget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SliceBudget.h
  ${CMAKE_CURRENT_LIST_DIR}/TextBlockView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextBlockView.h
)
