# Run by `cmake --install`: writes zepla.desktop for the program under the prefix chosen at install time, and
# refreshes the desktop's caches of handlers and icons when installing for real (not into DESTDIR).
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(program "${prefix}/${ZEPLA_BINDIR}/zepla")

# Exec holds the path as it is, or, when it has a space or a character the shell would read, in double
# quotes where \ " ` and $ take a backslash and the entry's own string escaping then doubles every backslash.
string(REPLACE "%" "%%" exec "${program}")
if(exec MATCHES "[ \t\n\"'\\><~|&;$*?#()`]")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "\"" "\\\"" exec "${exec}")
  string(REPLACE "`" "\\`" exec "${exec}")
  string(REPLACE "$" "\\$" exec "${exec}")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  set(exec "\"${exec}\"")
endif()

file(READ "${ZEPLA_DESKTOP_TEMPLATE}" entry)
string(REPLACE "@ZEPLA_EXEC@" "${exec}" entry "${entry}")
set(applications "$ENV{DESTDIR}${prefix}/${ZEPLA_DATADIR}/applications")
message(STATUS "Installing: ${applications}/zepla.desktop")
file(WRITE "${applications}/zepla.desktop" "${entry}")

if("$ENV{DESTDIR}" STREQUAL "")
  find_program(update_desktop_database update-desktop-database)
  if(update_desktop_database)
    execute_process(COMMAND "${update_desktop_database}" -q "${applications}")
  endif()
  find_program(update_icon_cache gtk-update-icon-cache)
  if(update_icon_cache AND EXISTS "${prefix}/${ZEPLA_DATADIR}/icons/hicolor/index.theme")
    execute_process(COMMAND "${update_icon_cache}" -q -t "${prefix}/${ZEPLA_DATADIR}/icons/hicolor")
  endif()
endif()
