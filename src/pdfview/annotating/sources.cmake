target_sources(zepla_pdfview PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AnnotatingPDFView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AnnotatingPDFView.h
  ${CMAKE_CURRENT_LIST_DIR}/DragTools.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EraserTool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InkStrokeLayer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InkStrokeLayer.h
  ${CMAKE_CURRENT_LIST_DIR}/InlineFreeTextEditor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InlineFreeTextEditor.h
  ${CMAKE_CURRENT_LIST_DIR}/NoteTools.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageContextMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextBoxTool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextEditTool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextMarkup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToolCursors.cpp
)
