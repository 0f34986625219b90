target_sources(zepla_document PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PreviewDocument.cpp
)
