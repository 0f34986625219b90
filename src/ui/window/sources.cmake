target_sources(zepla_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ContentView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ContentView.h
)
