target_sources(zepla_pdfview PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FormFillUndo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FormFillUndo.h
  ${CMAKE_CURRENT_LIST_DIR}/PageLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageLayout.h
  ${CMAKE_CURRENT_LIST_DIR}/PDFView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PDFView.h
  ${CMAKE_CURRENT_LIST_DIR}/TextSelection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextSelection.h
  ${CMAKE_CURRENT_LIST_DIR}/TileCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TileCache.h
  ${CMAKE_CURRENT_LIST_DIR}/TileRenderer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TileRenderer.h
)
