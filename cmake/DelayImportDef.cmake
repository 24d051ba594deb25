# Writes a module-definition file (DEF) naming DLL and the functions of the import library
# IMPORT_LIB, as listed by NM: all of them, or only FUNCTIONS (a list separated by "|") when
# given; and beside it (UNDEF) a linker response file that requires the stub of each of
# FUNCTIONS. Run by kalvenor_delay_import (DelayImport.cmake) with cmake -P.
execute_process(COMMAND ${NM} ${IMPORT_LIB} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
# Import slots of 32-bit import libraries: "__imp__<name>@<argument bytes>"; of 64-bit ones,
# undecorated: "__imp_<name>".
string(REGEX MATCHALL " I __imp__[A-Za-z0-9_]+@[0-9]+" slots "${symbols}")
list(TRANSFORM slots REPLACE "^ I __imp__" "")
set(decoration "@")
set(underscore "_")
if(NOT slots)
  string(REGEX MATCHALL " I __imp_[A-Za-z0-9_]+" slots "${symbols}")
  list(TRANSFORM slots REPLACE "^ I __imp_" "")
  set(decoration "$")
  set(underscore "")
endif()
list(REMOVE_DUPLICATES slots)
list(SORT slots)
if(NOT slots)
  message(FATAL_ERROR "No functions found in ${IMPORT_LIB}")
endif()
if(FUNCTIONS)
  string(REPLACE "|" ";" wanted "${FUNCTIONS}")
  set(kept "")
  foreach(name IN LISTS wanted)
    set(found ${slots})
    list(FILTER found INCLUDE REGEX "^${name}${decoration}")
    if(NOT found)
      message(FATAL_ERROR "${name} is not a function of ${IMPORT_LIB}")
    endif()
    list(APPEND kept ${found})
  endforeach()
  set(slots ${kept})
endif()
list(JOIN slots "\n" exports)
file(WRITE ${DEF} "LIBRARY ${DLL}\nEXPORTS\n${exports}\n")
# ld drops the code section of an import-library member whose only reference is its import slot
# ("__imp_" symbol, what a declared import calls through); for a delay-load member that code is
# the slot's first target, which loads the library, so the slot would stay zero. Requiring the
# stub keeps it. (Functions declared without the import attribute are called through the stub
# itself, which keeps it, and need no list.)
if(FUNCTIONS)
  list(TRANSFORM slots PREPEND "--undefined=${underscore}")
  list(JOIN slots "\n" required)
  file(WRITE ${UNDEF} "${required}\n")
else()
  file(WRITE ${UNDEF} "")
endif()
