# The read-only preview window for files Zepla neither edits nor converts.
target_sources(zepla_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PreviewContentView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreviewWindowController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnsupportedFileView.cpp
)
