target_sources(zepla_document PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DocumentImporter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageImport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImportTask.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextImport.cpp
)
