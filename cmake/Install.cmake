# What `cmake --install` puts where. Each program finds its files beside its
# own executable (through /proc/self/exe), so both programs go together into
# one private folder, <prefix>/lib/vorne, and the files they read, which are
# the same on every processor, into <prefix>/share/vorne; relative symbolic
# links in the programs' folder (map.dat, map.dat.proofs, sheets, sound) lead
# there. The commands on the PATH are relative symbolic links to the programs, which
# keeps the tree movable (DESTDIR, a packager's staging folder). Desktop
# entries and icons go where desktops look for them (packaging/ installs the
# manual pages, the AppStream metadata and the copyright notice). Tests,
# benchmarks and the generators are not installed.
include(GNUInstallDirs)

set(VORNE_INSTALL_PROGRAM_DIR "${CMAKE_INSTALL_LIBDIR}/vorne"
    CACHE STRING "Folder of the programs (relative to the prefix)")
set(VORNE_INSTALL_DATA_DIR "${CMAKE_INSTALL_DATADIR}/vorne"
    CACHE STRING "Folder of the files the programs read (relative to the prefix)")

set(vorne_programs vorne1.0)
if(TARGET draskel1.0)
  list(APPEND vorne_programs draskel1.0)
endif()

install(TARGETS ${vorne_programs} RUNTIME DESTINATION ${VORNE_INSTALL_PROGRAM_DIR})
install(FILES ${VORNE_BIN_DIR}/map.dat DESTINATION ${VORNE_INSTALL_DATA_DIR})
install(DIRECTORY ${VORNE_BIN_DIR}/map.dat.proofs DESTINATION ${VORNE_INSTALL_DATA_DIR}
        FILES_MATCHING PATTERN "stage-*.txt")
install(DIRECTORY ${VORNE_BIN_DIR}/sheets DESTINATION ${VORNE_INSTALL_DATA_DIR}
        FILES_MATCHING PATTERN "*.png")
install(DIRECTORY ${VORNE_BIN_DIR}/sound DESTINATION ${VORNE_INSTALL_DATA_DIR}
        FILES_MATCHING PATTERN "*.wav" PATTERN "*.mid" PATTERN "*.ogg")

get_target_property(vorne_theme_dir vorne_icons VORNE_THEME_DIR)
get_target_property(vorne_icon_sizes vorne_icons VORNE_ICON_SIZES)
foreach(size IN LISTS vorne_icon_sizes)
  foreach(program IN LISTS vorne_programs)
    install(FILES ${vorne_theme_dir}/${size}x${size}/apps/${program}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endforeach()

# The links and the desktop entries depend on the prefix, which
# `cmake --install --prefix` may change after configuring: they are made at
# install time, in a staging folder of the build, and installed from there
# with file(INSTALL) so that DESTDIR, the install manifest and a second
# install over the first behave as for every other file.
install(CODE "
  set(vorne_programs \"${vorne_programs}\")
  set(vorne_program_dir \"${VORNE_INSTALL_PROGRAM_DIR}\")
  set(vorne_program_data_dir \"${VORNE_INSTALL_DATA_DIR}\")
  set(vorne_bin_dir \"${CMAKE_INSTALL_BINDIR}\")
  set(vorne_data_dir \"${CMAKE_INSTALL_DATADIR}\")
  set(vorne_entry_sources \"${PROJECT_SOURCE_DIR}/assets/icons\")
  set(vorne_stage_dir \"${PROJECT_BINARY_DIR}/install-stage\")
")
install(CODE [[
  foreach(dir IN ITEMS vorne_program_dir vorne_program_data_dir vorne_bin_dir vorne_data_dir)
    if(NOT IS_ABSOLUTE "${${dir}}")
      set(${dir} "${CMAKE_INSTALL_PREFIX}/${${dir}}")
    endif()
    # A relative --prefix counts from the working folder, as for every file.
    get_filename_component(${dir} "${${dir}}" ABSOLUTE)
  endforeach()
  # One staging folder per destination: installs into different DESTDIRs
  # (the install test's) may run at once.
  string(MD5 destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  set(vorne_stage_dir "${vorne_stage_dir}/${destination}")
  file(MAKE_DIRECTORY "${vorne_stage_dir}")
  # The programs look for their files beside themselves.
  if(NOT vorne_program_data_dir STREQUAL vorne_program_dir)
    foreach(item IN ITEMS map.dat map.dat.proofs sheets sound)
      file(RELATIVE_PATH target "${vorne_program_dir}" "${vorne_program_data_dir}/${item}")
      file(REMOVE "${vorne_stage_dir}/${item}")
      file(CREATE_LINK "${target}" "${vorne_stage_dir}/${item}" SYMBOLIC)
      # A folder left there by an install that kept the files beside the
      # programs gives way to the link.
      set(installed "$ENV{DESTDIR}${vorne_program_dir}/${item}")
      if(IS_DIRECTORY "${installed}" AND NOT IS_SYMLINK "${installed}")
        file(REMOVE_RECURSE "${installed}")
      endif()
      file(INSTALL "${vorne_stage_dir}/${item}" DESTINATION "${vorne_program_dir}")
    endforeach()
  endif()
  foreach(program IN LISTS vorne_programs)
    file(RELATIVE_PATH target "${vorne_bin_dir}" "${vorne_program_dir}/${program}")
    file(REMOVE "${vorne_stage_dir}/${program}")
    file(CREATE_LINK "${target}" "${vorne_stage_dir}/${program}" SYMBOLIC)
    file(INSTALL "${vorne_stage_dir}/${program}" DESTINATION "${vorne_bin_dir}")

    # Exec names the command by its full path: a desktop session's PATH may
    # lack the prefix (~/.local/bin often). Quoted as the desktop entry
    # specification asks when the path holds a blank or a reserved character.
    set(exec "${vorne_bin_dir}/${program}")
    string(REPLACE "%" "%%" exec "${exec}")
    if(exec MATCHES "[] \t\n\"'\\><~|&;$*?#()`[]")
      string(REGEX REPLACE "([\"`$\\])" "\\\\\\1" exec "${exec}")
      set(exec "\"${exec}\"")
    endif()
    # The entry's own string escape for the backslash.
    string(REPLACE "\\" "\\\\" VORNE_EXEC "${exec}")
    configure_file("${vorne_entry_sources}/${program}.desktop.in"
                   "${vorne_stage_dir}/${program}.desktop" @ONLY)
    file(INSTALL "${vorne_stage_dir}/${program}.desktop"
         DESTINATION "${vorne_data_dir}/applications")
  endforeach()
  file(REMOVE_RECURSE "${vorne_stage_dir}")

  # A desktop reads the hicolor theme through its cache when one exists; a
  # stale cache would hide the new icons. Packagers' DESTDIR staging is left
  # to their own triggers.
  set(theme "${vorne_data_dir}/icons/hicolor")
  if("$ENV{DESTDIR}" STREQUAL "" AND EXISTS "${theme}/icon-theme.cache")
    find_program(vorne_icon_cache_tool gtk-update-icon-cache)
    if(vorne_icon_cache_tool)
      execute_process(COMMAND "${vorne_icon_cache_tool}" --quiet --force --ignore-theme-index
                      "${theme}")
    endif()
  endif()
]])
