# Run by CPack on the files of a Debian package before it packs them: the
# programs lose the compiler's .comment and .note sections, as Debian's own
# tools strip them (CPack's strip keeps those).
file(GLOB programs "${CPACK_TEMPORARY_DIRECTORY}/usr/bin/*")
if(NOT programs)
  message(FATAL_ERROR "no programs under ${CPACK_TEMPORARY_DIRECTORY}/usr/bin")
endif()
foreach(program IN LISTS programs)
  execute_process(
    COMMAND ${CPACK_OBJCOPY_EXECUTABLE} --remove-section=.comment
      --remove-section=.note ${program}
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
