# kalvenor_delay_import(<target> <dll> <import library name> [FUNCTIONS <name>...])
#
# An interface target to link instead of <import library name> whose functions then come from
# <dll> loaded on their first call rather than when the program starts. The delay-load import
# library is made with dlltool from the toolchain's own import library: from every export, or
# from FUNCTIONS only, which must then name every function the programs use of it (a missing one
# fails the link). FUNCTIONS is needed for libraries whose headers declare their functions as
# imports. Linking the target also links the delay-load failure hook (startup/delayload.cpp):
# a missing GDI+ fails like its start-up function; any other library that fails to load ends the
# program with the message of a start-up that misses it (start-up looks for them).
function(kalvenor_delay_import target dll libname)
  cmake_parse_arguments(PARSE_ARGV 3 arg "" "" FUNCTIONS)
  list(JOIN arg_FUNCTIONS "|" functions)
  find_library(${target}_IMPORT_LIB NAMES lib${libname}.a ${libname} REQUIRED)
  set(dir ${CMAKE_BINARY_DIR}/delayimp)
  set(def ${dir}/${libname}.def)
  set(lib ${dir}/lib${libname}_delay.a)
  set(undef ${dir}/${libname}.undef)
  add_custom_command(OUTPUT ${lib} ${undef}
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPORT_LIB=${${target}_IMPORT_LIB} -DDLL=${dll} -DDEF=${def}
            -DUNDEF=${undef} -DFUNCTIONS=${functions}
            -P ${PROJECT_SOURCE_DIR}/cmake/DelayImportDef.cmake
    COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${def} --dllname ${dll} --output-delaylib ${lib}
    DEPENDS ${${target}_IMPORT_LIB} ${PROJECT_SOURCE_DIR}/cmake/DelayImportDef.cmake ${PROJECT_SOURCE_DIR}/CMakeLists.txt
    COMMENT "Delay-load import library for ${dll}" VERBATIM)
  add_custom_target(${target}_delaylib DEPENDS ${lib})

  if(NOT TARGET kalvenor_delayload_hook)
    add_library(kalvenor_delayload_hook OBJECT ${PROJECT_SOURCE_DIR}/startup/delayload.cpp)
    target_include_directories(kalvenor_delayload_hook PRIVATE ${PROJECT_SOURCE_DIR})
    kalvenor_warnings(kalvenor_delayload_hook)
  endif()

  add_library(${target} INTERFACE)
  add_dependencies(${target} ${target}_delaylib)
  # The hook is an object of every program that links the library: the runtime's default
  # (an unhandled exception) lives in an archive member the linker would otherwise pick.
  target_link_libraries(${target} INTERFACE $<TARGET_OBJECTS:kalvenor_delayload_hook> ${lib})
  target_link_options(${target} INTERFACE "-Wl,@${undef}")
endfunction()
