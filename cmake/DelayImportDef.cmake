# Writes a module-definition file (DEF) naming DLL and every function of the import library
# IMPORT_LIB, as listed by NM. Run by kalvenor_delay_import (DelayImport.cmake) with cmake -P.
execute_process(COMMAND ${NM} ${IMPORT_LIB} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
# Import slots of 32-bit import libraries: "__imp__<name>@<argument bytes>".
string(REGEX MATCHALL " I __imp__[A-Za-z0-9_]+@[0-9]+" slots "${symbols}")
list(TRANSFORM slots REPLACE "^ I __imp__" "")
list(REMOVE_DUPLICATES slots)
list(SORT slots)
if(NOT slots)
  message(FATAL_ERROR "No functions found in ${IMPORT_LIB}")
endif()
list(JOIN slots "\n" exports)
file(WRITE ${DEF} "LIBRARY ${DLL}\nEXPORTS\n${exports}\n")
