# How the tree is put together: folders that bring their own build files.

# Adds every child folder of the current folder that has a CMakeLists.txt.
function(zepla_add_child_directories)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child ${children})
    if(EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# Includes the sources.cmake of every child folder: each adds its files to the current folder's library.
macro(zepla_include_parts)
  file(GLOB zepla_parts ${CMAKE_CURRENT_SOURCE_DIR}/*/sources.cmake)
  foreach(zepla_part ${zepla_parts})
    include(${zepla_part})
  endforeach()
endmacro()
