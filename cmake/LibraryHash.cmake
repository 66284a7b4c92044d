# ombrel_library_hash(PROGRAM LIBRARY_FILE LIBRARY_TARGET): writes the SHA-256 of
# LIBRARY_FILE into PROGRAM's library-hash resource whenever either is rebuilt, so that the
# program loads that library and no other. What copies PROGRAM depends on
# PROGRAM_library_hash, the target that does it.
function(ombrel_library_hash program library_file library_target)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${program}.library-hash)
  set(writer ${PROJECT_SOURCE_DIR}/tools/write-library-hash)
  add_custom_command(OUTPUT ${stamp}
    COMMAND python3 ${writer} $<TARGET_FILE:${program}> ${library_file}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${program} ${library_target} ${library_file} ${writer}
    VERBATIM)
  add_custom_target(${program}_library_hash ALL DEPENDS ${stamp})
endfunction()
