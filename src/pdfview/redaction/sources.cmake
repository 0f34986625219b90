target_sources(zepla_pdfview PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/RedactionApplier.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RedactionApplier.h
  ${CMAKE_CURRENT_LIST_DIR}/RedactionRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RedactionRun.h
)
