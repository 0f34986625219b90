target_sources(zepla_pdfview PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CoordinatorAssistantViewer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CoordinatorAssistantViewer.h
  ${CMAKE_CURRENT_LIST_DIR}/PDFViewBridge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PDFViewBridge.h
  ${CMAKE_CURRENT_LIST_DIR}/PDFViewCoordinator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PDFViewCoordinator.h
)
