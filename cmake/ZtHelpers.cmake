# Helpers shared by every folder: warnings, tests (native with label "unit", Windows under Wine
# with label "wine").

set(ZT_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
set(ZT_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)

function(zt_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(ZT_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(ZT_SANITIZE AND NOT WIN32)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# Our own library: warnings on, includes from the repository root ("common/dib.h").
function(zt_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LIBS})
  zt_warnings(${name})
  if(ZT_SANITIZE AND NOT WIN32)
    target_link_options(${name} INTERFACE -fsanitize=address,undefined)
  endif()
endfunction()

function(zt_setup_googletest)
  if(TARGET gtest)
    return()
  endif()
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  if(EXISTS /usr/src/googletest/CMakeLists.txt)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    message(FATAL_ERROR "GoogleTest sources not found in /usr/src/googletest (scripts/setup.sh installs them)")
  endif()
endfunction()

# zt_test(NAME SOURCES ... [LIBS ...] [GUI | TWO_SCREENS] [TIMEOUT seconds] [LABELS ...]
#         [ENVIRONMENT var=value ...] [ARTIFACTS] [SHELL_DATA] [IMAGE_LIBRARY] [SHELL_RESOURCES rc]
#         [LOCALES Language:locale ... LOCALE_SUITE prefix])
# Native builds register it with label "unit"; Windows builds run it through the Wine launcher
# with label "wine" (GUI: on a virtual X screen; TWO_SCREENS: on two). Wine tests share one
# prefix, so they run one at a time. ENVIRONMENT adds to the test's environment; ARTIFACTS gives
# the program ZT_ARTIFACT_DIR, the build's artifacts folder as Wine sees it, for pictures a person
# looks at; SHELL_DATA lays the language files and help beside the program, IMAGE_LIBRARY the
# image-file library, SHELL_RESOURCES compiles ZTLumbrel's resources (from rc) into it. LOCALES
# runs the suites LOCALE_SUITE<Language> once more for each language, as NAME without "_test"
# plus "_<Language>", under that Unix locale; the main run leaves them out.
function(zt_test name)
  cmake_parse_arguments(A "GUI;TWO_SCREENS;ARTIFACTS;SHELL_DATA;IMAGE_LIBRARY" "TIMEOUT;SHELL_RESOURCES;LOCALE_SUITE"
    "SOURCES;LIBS;LABELS;ENVIRONMENT;LOCALES" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} gmock gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  zt_warnings(${name})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  if(A_ARTIFACTS)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/artifacts)
    target_compile_definitions(${name} PRIVATE ZT_ARTIFACT_DIR="Z:${CMAKE_BINARY_DIR}/artifacts")
  endif()
  if(A_SHELL_DATA)
    zt_copy_shell_data(${CMAKE_CURRENT_BINARY_DIR})
  endif()
  if(A_IMAGE_LIBRARY AND WIN32)
    zt_with_image_library(${name})
  endif()
  if(A_SHELL_RESOURCES)
    zt_shell_resources(${name} ${A_SHELL_RESOURCES})
  endif()
  if(NOT WIN32)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "unit;${A_LABELS}" TIMEOUT ${A_TIMEOUT})
    if(A_ENVIRONMENT)
      set_tests_properties(${name} PROPERTIES ENVIRONMENT "${A_ENVIRONMENT}")
    endif()
    return()
  endif()
  set(mode "--plain")
  if(A_GUI)
    set(mode "--gui")
  endif()
  if(A_TWO_SCREENS)
    set(mode "--two-screens")
  endif()
  set(environment "WINEPREFIX=${ZT_WINEPREFIX}" ${A_ENVIRONMENT})
  set(main_environment ${environment})
  if(A_LOCALES)
    list(APPEND main_environment "GTEST_FILTER=-${A_LOCALE_SUITE}*")
  endif()
  add_test(NAME ${name} COMMAND ${ZT_WINE_RUN} ${mode} --timeout ${A_TIMEOUT} $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES LABELS "wine;${A_LABELS}" RESOURCE_LOCK wineprefix
    TIMEOUT ${A_TIMEOUT} ENVIRONMENT "${main_environment}")
  string(REGEX REPLACE "_test$" "" stem ${name})
  foreach(case IN LISTS A_LOCALES)
    string(REPLACE ":" ";" pair ${case})
    list(GET pair 0 language)
    list(GET pair 1 locale)
    set(case_environment ${environment})
    list(FILTER case_environment EXCLUDE REGEX "^LC_ALL=")
    list(APPEND case_environment "LC_ALL=${locale}.UTF-8" "GTEST_FILTER=${A_LOCALE_SUITE}${language}.*")
    add_test(NAME ${stem}_${language} COMMAND ${ZT_WINE_RUN} ${mode} --timeout ${A_TIMEOUT} $<TARGET_FILE:${name}>)
    set_tests_properties(${stem}_${language} PROPERTIES LABELS "wine;${A_LABELS}" RESOURCE_LOCK wineprefix
      TIMEOUT ${A_TIMEOUT} ENVIRONMENT "${case_environment}")
  endforeach()
endfunction()

# zt_test_program(NAME SOURCES ... [LIBS ...]): a test's program that a driver runs rather than
# CTest itself (a road test under the simulated card, a demonstration): warnings on, includes
# from the repository root. Link gtest_main (or gtest, with a main of its own) through LIBS.
function(zt_test_program name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  zt_warnings(${name})
endfunction()

# zt_with_image_library(TARGET [FOLDER]): CvImgFileIO.dll is laid beside TARGET's program (or in
# FOLDER) after each build, as it lies beside the installed programs that load it.
function(zt_with_image_library target)
  set(folder $<TARGET_FILE_DIR:${target}>)
  if(ARGC GREATER 1)
    set(folder ${ARGV1})
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:CvImgFileIO> ${folder})
endfunction()

# zt_card_run(TEST PROGRAM WORK TIMEOUT [CHECKER exe] [ARGS ...] [ENVIRONMENT ...]): PROGRAM run
# under Wine by tests/e2e/run_e2e.py, which starts the simulated card and lays the checker
# (ZTChkSDWiFi unless CHECKER says else) where the program looks for it. WORK is a folder of the
# caller's build folder; ARGS go to run_e2e.py; ENVIRONMENT adds to the prefix.
function(zt_card_run test program work timeout)
  cmake_parse_arguments(A "" "CHECKER" "ENVIRONMENT;ARGS" ${ARGN})
  find_program(ZT_PYTHON3 NAMES python3 REQUIRED)
  if(NOT A_CHECKER)
    set(A_CHECKER $<TARGET_FILE:ZTChkSDWiFi>)
  endif()
  add_dependencies(${program} ZTChkSDWiFi)
  add_test(NAME ${test}
    COMMAND ${ZT_PYTHON3} ${CMAKE_SOURCE_DIR}/tests/e2e/run_e2e.py --wine-run ${ZT_WINE_RUN}
            --client $<TARGET_FILE:${program}> --checker ${A_CHECKER}
            --work ${CMAKE_CURRENT_BINARY_DIR}/${work} --timeout ${timeout} ${A_ARGS})
  math(EXPR limit "${timeout} + 40")
  set(environment "WINEPREFIX=${ZT_WINEPREFIX}" ${A_ENVIRONMENT})
  set_tests_properties(${test} PROPERTIES LABELS "wine;e2e" RESOURCE_LOCK wineprefix TIMEOUT ${limit}
    ENVIRONMENT "${environment}")
endfunction()

# zt_version_info(TARGET DESCRIPTION): gives a Windows program or DLL its version resource, with
# the project's version, so that every shipped file and the installer package agree.
function(zt_version_info target description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(ZT_FILE_TYPE VFT_DLL)
    set(suffix ".dll")
  else()
    set(ZT_FILE_TYPE VFT_APP)
    set(suffix ".exe")
  endif()
  set(ZT_FILE_DESCRIPTION "${description}")
  set(ZT_INTERNAL_NAME ${target})
  set(ZT_ORIGINAL_FILENAME ${target}${suffix})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# zt_shipped(TARGET): a file users get leaves the build without its debug information, which
# stays beside it in TARGET_FILE.debug; the shipped file names that file (.gnu_debuglink), so a
# crash reported from a user's PC can still be read against this build.
function(zt_shipped target)
  if(NOT WIN32 OR NOT CMAKE_OBJCOPY)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug $<TARGET_FILE:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    COMMENT "Keeping the debug information of ${target} beside it" VERBATIM)
endfunction()
