# Shared helpers for Kalvenor's targets.

# Warnings for the project's own targets (not for GoogleTest).
function(kalvenor_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(KALVENOR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# kalvenor_library(name [WINDOWS] SOURCES ... LIBS ...)
function(kalvenor_library name)
  cmake_parse_arguments(L "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
  target_link_libraries(${name} PUBLIC ${L_LIBS})
  kalvenor_warnings(${name})
endfunction()

# kalvenor_add_test(name SOURCES ... LIBS ...): one GoogleTest executable, one ctest entry.
# Under the cross toolchain the entry runs through Wine (CMAKE_CROSSCOMPILING_EMULATOR).
# LOCKS names ctest resource locks, so that test executables sharing something never run at once:
#   program_state: the program's own state in the one Wine prefix (settings key, autostart
#                  entries, the simulated card, the single-instance mutex), or starting it;
#   desktop: windows on the one X display (activation, keyboard focus, real input).
function(kalvenor_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LOCKS" ${ARGN})
  add_executable(${name}_tests ${T_SOURCES})
  target_link_libraries(${name}_tests PRIVATE ${T_LIBS} gtest)
  target_include_directories(${name}_tests PRIVATE ${PROJECT_SOURCE_DIR})
  kalvenor_warnings(${name}_tests)
  add_test(NAME ${name} COMMAND ${name}_tests --gtest_brief=0)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
endfunction()
