target_sources(zepla_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AssistantResizeHandle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AssistantResizeHandle.h
  ${CMAKE_CURRENT_LIST_DIR}/PDFEditorWorkspaceView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PDFEditorWorkspaceView.h
  ${CMAKE_CURRENT_LIST_DIR}/ToolSwitchToast.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToolSwitchToast.h
  ${CMAKE_CURRENT_LIST_DIR}/WorkspaceActions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WorkProgress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WorkProgress.h
  ${CMAKE_CURRENT_LIST_DIR}/WorkspaceDocumentOCR.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WorkspaceRedaction.cpp
)
