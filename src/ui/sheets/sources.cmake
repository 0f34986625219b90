# The document sheets of the sidebar's page tools: bookmarks, document info, watermark and compression.
target_sources(zepla_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BookmarksEditorView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CompressPDFSheetView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MetadataEditorView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SheetParts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WatermarkSheetView.cpp
)
