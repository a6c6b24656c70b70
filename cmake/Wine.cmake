# Running Windows programs under Wine: which loader serves an architecture,
# and whether it can run on this machine.

set(CPMARK_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run)

# Sets <out> to TRUE when Wine can run <arch> (i686 or x86_64) programs here;
# otherwise to FALSE, with the reason in <reason>.
function(cpmark_wine_usable arch out reason)
  if(arch STREQUAL "x86_64")
    set(loader /usr/lib/wine/wine64)
  else()
    set(loader /usr/lib/wine/wine)
  endif()
  if(NOT EXISTS ${loader})
    find_program(CPMARK_WINE_PROGRAM NAMES wine)
    if(NOT CPMARK_WINE_PROGRAM)
      set(${out} FALSE PARENT_SCOPE)
      set(${reason} "Wine is not installed (no ${loader})" PARENT_SCOPE)
      return()
    endif()
    set(loader ${CPMARK_WINE_PROGRAM})
  endif()
  execute_process(COMMAND ${loader} --version RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE error
                  TIMEOUT 30)
  if(result EQUAL 0)
    set(${out} TRUE PARENT_SCOPE)
  else()
    string(STRIP "${error}" error)
    set(${out} FALSE PARENT_SCOPE)
    set(${reason} "${loader} cannot run on this machine (${result}: ${error}); a kernel without 32-bit support refuses the 32-bit loader" PARENT_SCOPE)
  endif()
endfunction()

# Adds a test <name> that reports <reason>: a skip, or a failure when Wine is
# required (CI, where a missing Wine must not pass unnoticed).
function(cpmark_add_wine_unavailable_test name reason)
  set(code 77)
  if("$ENV{CI}" STREQUAL "true" AND reason MATCHES "not installed")
    set(code 1)
  endif()
  add_test(NAME ${name} COMMAND sh -c "echo 'skipped: ${reason}'; exit ${code}")
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
endfunction()
