# The landing content: header, open-document card and recent files.
target_sources(zepla_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/LandingView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OpenDocumentCard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecentDocuments.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecentThumbnailCell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecentsSection.cpp
)
