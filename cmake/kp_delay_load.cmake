# System DLLs that only the first instance needs are loaded on their first call instead of
# at process start, so that a second start, which relays and ends, loads no more than a
# minimal Win32 program (under Wine, loading comctl32 alone starts the display driver and
# the theming engine).
#
# delayed::<dll> links the functions of <dll> through a delay-load import library that
# dlltool makes from the toolchain's own import library, and the plain import library after
# it for anything that cannot be delayed (data). Without nm or dlltool it is the plain one.
find_program(KP_NM NAMES ${KP_MINGW_PREFIX}-nm nm)
find_program(KP_DLLTOOL NAMES ${KP_MINGW_PREFIX}-dlltool dlltool)

function(kp_delay_loaded dll)
  add_library(kp_delayed_${dll} INTERFACE)
  add_library(delayed::${dll} ALIAS kp_delayed_${dll})
  find_library(KP_IMPORT_LIB_${dll} NAMES ${dll})
  set(import_lib ${KP_IMPORT_LIB_${dll}})
  set(out ${CMAKE_BINARY_DIR}/delay_load/lib${dll}_delay.a)
  if(KP_NM AND KP_DLLTOOL AND import_lib AND NOT EXISTS ${out})
    # Functions are the names with both a thunk (T) and an import pointer (I __imp_).
    execute_process(COMMAND ${KP_NM} -g ${import_lib} OUTPUT_VARIABLE symbols ERROR_QUIET)
    string(REGEX MATCHALL "[^\n]* T [^\n]+" thunks "${symbols}")
    set(exports "")
    foreach(line IN LISTS thunks)
      string(REGEX REPLACE ".* T " "" name "${line}")
      string(FIND "${symbols}" " I __imp_${name}\n" at)
      if(NOT at EQUAL -1)
        string(APPEND exports "${name}\n")
      endif()
    endforeach()
    file(WRITE ${out}.def "LIBRARY ${dll}.dll\nEXPORTS\n${exports}")
    # Named relative to its folder: dlltool names the library's symbols after the output path,
    # and a build folder in them would make the program differ from one checkout to another.
    execute_process(COMMAND ${KP_DLLTOOL} --input-def lib${dll}_delay.a.def --output-delaylib lib${dll}_delay.a
                            --dllname ${dll}.dll
                    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/delay_load RESULT_VARIABLE failed)
    if(failed)
      file(REMOVE ${out})
    endif()
  endif()
  if(EXISTS ${out})
    target_link_libraries(kp_delayed_${dll} INTERFACE ${out} delayimp ${dll})
  else()
    message(STATUS "${dll}.dll is linked at load time: no delay-load library could be made")
    target_link_libraries(kp_delayed_${dll} INTERFACE ${dll})
  endif()
endfunction()

foreach(dll IN ITEMS ole32 oleaut32 comctl32 shell32 shlwapi)
  kp_delay_loaded(${dll})
endforeach()
