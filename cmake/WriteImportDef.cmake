# cmake -DNM=... -DIMPORT_LIB=... -DDLL=... -DDEF=... -DX86=ON|OFF -P WriteImportDef.cmake
# Writes a module-definition file listing the functions an import library imports.
execute_process(COMMAND ${NM} -g --defined-only ${IMPORT_LIB}
  OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[^\n]+ T [^\n]+" lines "${symbols}")
set(entries "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^.* T " "" symbol "${line}")
  if(X86)
    string(REGEX REPLACE "^_" "" symbol "${symbol}")  # x86 C names carry an underscore
  endif()
  # Import thunks only, not the library's own bookkeeping symbols.
  if(NOT symbol MATCHES "^[_.]")
    list(APPEND entries "  ${symbol}")
  endif()
endforeach()
list(REMOVE_DUPLICATES entries)
list(JOIN entries "\n" body)
file(WRITE ${DEF} "LIBRARY ${DLL}\nEXPORTS\n${body}\n")
