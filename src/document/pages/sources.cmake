target_sources(zepla_document PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DerivedFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PDFCompressor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PDFPageRasterizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageOperations.cpp
)
