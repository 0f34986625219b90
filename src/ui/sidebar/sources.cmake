target_sources(zepla_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PageDropPayload.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SelectionBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SidebarSelection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ThumbnailCell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ThumbnailListView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ThumbnailLoader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ThumbnailSidebar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ThumbnailSidebarPageTools.cpp
)
