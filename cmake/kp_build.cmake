# Compiler settings shared by every target, and the test registration helper.

# Source files are UTF-8 (the program's own texts include Chinese).
add_compile_options(-Wall -Wextra -Werror -finput-charset=UTF-8)

if(WIN32)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # Debug information in every build: a release keeps it in a separate file (app/).
  add_compile_options(-fexec-charset=UTF-8 -g)
  # Every .exe runs on a bare Windows: no MinGW runtime DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Two builds of one commit give the same bytes wherever they are built: no link time
  # stamp in the PE header, and source and build folders written relative (__FILE__).
  # The build folder's map comes last so that it wins when it lies inside the sources.
  add_compile_options(
    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>
    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=build/>)
  add_link_options(-Wl,--no-insert-timestamp)
elseif(KP_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# GoogleTest: the installed package for native builds (on Windows too, e.g. MSYS2's);
# built from Debian's sources with the cross compiler for the cross build.
set(KP_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
if(KP_BUILD_TESTS)
  if(CMAKE_CROSSCOMPILING)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${KP_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    if(NOT TARGET GTest::gtest_main)
      add_library(GTest::gtest ALIAS gtest)
      add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

# kp_add_test(<name> SOURCES <files...> [LIBS <targets...>] [NO_MAIN] [EXPECT_CRASH <markers...>])
# One GoogleTest executable, named after its source file and linked with tests/support,
# registered with CTest as one test. cmake/test-run fails it
# unless every test ran and it ended with 0; the Windows build runs it through Wine
# (CMAKE_CROSSCOMPILING_EMULATOR) and links kp_crash_exit, so that a crash ends it at once
# with a failing code. EXPECT_CRASH is for the harness's own tests: the run must fail,
# quickly, with every marker in its output.
function(kp_add_test name)
  cmake_parse_arguments(arg "NO_MAIN" "" "SOURCES;LIBS;EXPECT_CRASH" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} kp_test_support GTest::gtest)
  if(NOT arg_NO_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set(run ${PROJECT_SOURCE_DIR}/cmake/test-run)
  if(WIN32)
    target_link_libraries(${name} PRIVATE kp_crash_exit)
  endif()
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    list(APPEND run --wine ${CMAKE_CROSSCOMPILING_EMULATOR})
  endif()
  if(arg_EXPECT_CRASH)
    list(PREPEND run ${PROJECT_SOURCE_DIR}/cmake/expect-crash ${arg_EXPECT_CRASH} --)
  endif()
  add_test(NAME ${name} COMMAND ${run} $<TARGET_FILE:${name}>)
  if(arg_EXPECT_CRASH)
    set_tests_properties(${name} PROPERTIES TIMEOUT 60)
  endif()
endfunction()
