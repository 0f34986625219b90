# Assistant answers as widgets: the formula image renderer.
target_sources(zepla_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MathImageRenderer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MathImageRenderer.h
)
