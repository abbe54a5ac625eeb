# Run by CPack once the files are staged, before it packs them
# (CPACK_PRE_BUILD_SCRIPTS): CPack's own strip leaves the compiler's .comment
# and .note sections in the programs, which Debian's packages leave out.
file(GLOB programs "${CPACK_TEMPORARY_DIRECTORY}${CPACK_VORNE_PROGRAM_DIR}/*")
foreach(program IN LISTS programs)
  if(NOT IS_SYMLINK "${program}" AND NOT IS_DIRECTORY "${program}")
    execute_process(COMMAND "${CPACK_VORNE_STRIP}" --remove-section=.comment
                            --remove-section=.note "${program}"
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "cannot strip ${program}")
    endif()
  endif()
endforeach()
