# Build conventions shared by every component: compile settings per tree (warnings as
# errors, Windows defines, sanitizers natively), GoogleTest, and the functions below.
#
# fennel_library()          a static library: PORTABLE sources build in every tree, WINDOWS
#                           sources and WINLIBS only in the Windows trees.
# fennel_test()             one GoogleTest program per component; WINDOWS_ONLY ones are left
#                           out of the native tree.
# fennel_target_defaults()  the compile settings, for a target made without the two above.
# fennel_windows_output()   a Windows program or DLL in <build>/bin, linked statically.
# fennel_add_subfolders()   adds every direct subfolder that has a CMakeLists.txt.

get_filename_component(FENNEL_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. REALPATH)

# Debug information names the build folder ".", so that an object compiled in another clone
# (ccache, whose base folder is the clone) is the same object.
get_filename_component(FENNEL_BINARY_REALPATH ${CMAKE_BINARY_DIR} REALPATH)
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-fdebug-prefix-map=${FENNEL_BINARY_REALPATH}=.>)

# Warnings are errors in our own code (not in GoogleTest or benchmark sources).
set(FENNEL_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Woverloaded-virtual -Wformat=2 -Werror)

if(WIN32)
  # Unicode off: the program's own texts are single-byte in the language's code page;
  # wide calls are made explicitly with the W suffix.
  set(FENNEL_DEFINES WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800
      STRICT)
  set(FENNEL_WIN_LINK_FLAGS -static -static-libgcc -static-libstdc++)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
    set(FENNEL_WIN32_BITS 32)
  else()
    set(FENNEL_WIN32_BITS 64)
  endif()
else()
  set(FENNEL_DEFINES)
  if(FENNEL_FUZZ)
    # Every library of the fuzz tree is instrumented for coverage and checked by the sanitizers.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  elseif(FENNEL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# Applies the project's compile settings to one of our own targets.
function(fennel_target_defaults target)
  target_compile_options(${target} PRIVATE ${FENNEL_WARNINGS})
  # __FILE__ names sources relative to the repository, as exception texts show them. ccache
  # hands the compiler paths relative to the build folder, which the second map covers.
  get_filename_component(root ${FENNEL_ROOT} REALPATH)
  target_compile_options(${target} PRIVATE -fmacro-prefix-map=${root}/=)
  file(RELATIVE_PATH root_from_build ${FENNEL_BINARY_REALPATH} ${root})
  string(REGEX REPLACE "/+$" "" root_from_build "${root_from_build}")
  if(root_from_build)
    target_compile_options(${target} PRIVATE -fmacro-prefix-map=${root_from_build}/=)
  endif()
  target_compile_definitions(${target} PUBLIC ${FENNEL_DEFINES})
  target_include_directories(${target} PUBLIC ${FENNEL_ROOT} ${FENNEL_ROOT}/inc)
endfunction()

# fennel_library(name PORTABLE a.cpp ... WINDOWS b.cpp ... LIBS x y WINLIBS user32 ...)
function(fennel_library name)
  cmake_parse_arguments(ARG "" "" "PORTABLE;WINDOWS;LIBS;WINLIBS" ${ARGN})
  set(srcs ${ARG_PORTABLE})
  if(WIN32)
    list(APPEND srcs ${ARG_WINDOWS})
  endif()
  add_library(${name} STATIC ${srcs})
  fennel_target_defaults(${name})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  if(WIN32)
    target_link_libraries(${name} PUBLIC ${ARG_WINLIBS})
  endif()
endfunction()

# GoogleTest: Debian's libgtest-dev natively, the googletest sources built with the
# cross compiler in the Windows trees.
if(NOT FENNEL_TESTS)
elseif(WIN32)
  if(NOT TARGET gtest)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
  set(FENNEL_GTEST gtest gmock)
  set(FENNEL_GTEST_MAIN gtest_main)
else()
  find_package(GTest REQUIRED)
  set(FENNEL_GTEST GTest::gtest GTest::gmock)
  set(FENNEL_GTEST_MAIN GTest::gtest_main)
endif()
include(GoogleTest OPTIONAL)

# fennel_test(name SOURCES ... LIBS ... [OWN_MAIN] [WINDOWS_ONLY] [TIMEOUT s])
# One test executable per component. Natively each case is a ctest test; under Wine
# the executable is one ctest test (one process start instead of one per case).
function(fennel_test name)
  cmake_parse_arguments(ARG "OWN_MAIN;WINDOWS_ONLY" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(ARG_WINDOWS_ONLY AND NOT WIN32)
    return()
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  fennel_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${FENNEL_GTEST})
  if(NOT ARG_OWN_MAIN)
    target_link_libraries(${name} PRIVATE ${FENNEL_GTEST_MAIN})
  endif()
  target_compile_definitions(${name} PRIVATE FENNEL_SOURCE_DIR="${FENNEL_ROOT}"
                             FENNEL_BINARY_DIR="${CMAKE_BINARY_DIR}")
  if(WIN32)
    target_link_options(${name} PRIVATE ${FENNEL_WIN_LINK_FLAGS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    # The test programs share one Wine prefix, its registry and its engine: one at a time.
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} RESOURCE_LOCK fennel_wine_prefix)
  else()
    gtest_discover_tests(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# Windows executables and DLLs land in <build>/bin beside fennel.exe.
function(fennel_windows_output target)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin
                                             LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  target_link_options(${target} PRIVATE ${FENNEL_WIN_LINK_FLAGS})
  # The debug information goes beside the file (<file>.debug, which gdb finds through the
  # debug link): the loader maps every section of an image, so each start would read it all.
  if(CMAKE_OBJCOPY)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
      COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug
              $<TARGET_FILE:${target}>
      VERBATIM)
  endif()
endfunction()

# Adds every direct subfolder of the current source folder that has a CMakeLists.txt,
# in name order, so that a new component's folder needs no edit of its parent.
function(fennel_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
