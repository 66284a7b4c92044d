# ombrel_delay_import(NAME DLL): an imported library NAME whose entries into DLL are bound
# on their first call instead of when the program starts, so the program decides where
# the DLL comes from (see src/app/Main.cpp). Its list of entries is taken from the
# toolchain's ordinary import library for DLL.
function(ombrel_delay_import name dll)
  get_filename_component(base ${dll} NAME_WE)
  find_library(ordinary_${base} NAMES ${base} REQUIRED)
  set(def ${CMAKE_BINARY_DIR}/delayimp/${base}.def)
  set(lib ${CMAKE_BINARY_DIR}/delayimp/lib${base}-delay.a)
  # On x86 the entries are stdcall: the library's names carry @N, the DLL's do not.
  set(x86 OFF)
  set(kill_at "")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(x86 ON)
    set(kill_at --kill-at)
  endif()
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPORT_LIB=${ordinary_${base}} -DDLL=${dll}
            -DX86=${x86} -DDEF=${def} -P ${PROJECT_SOURCE_DIR}/cmake/WriteImportDef.cmake
    COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --dllname ${dll} --output-delaylib ${lib}
            ${kill_at}
    DEPENDS ${PROJECT_SOURCE_DIR}/cmake/WriteImportDef.cmake
    VERBATIM)
  add_custom_target(${name}_delaylib DEPENDS ${lib})
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION ${lib})
  add_dependencies(${name} ${name}_delaylib)
endfunction()
