# kv_add_module(NAME DIR <dir> SOURCES ... LIBS ... [EXPORTS pattern...])
# A loadable module named as the real one is (no "lib" prefix), with hidden
# symbols except what its sources export explicitly. EXPORTS, when given,
# lists the only symbols the module may export (glob patterns), so that no
# template instance of the standard library leaks out with them.
function(kv_add_module name)
  cmake_parse_arguments(ARG "" "DIR" "SOURCES;LIBS;EXPORTS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    SUFFIX ".so"
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${ARG_DIR}
    BUILD_RPATH "$ORIGIN;${KV_HOTSYNC_DIR};${KV_SHARED_LIB_DIR}"
    INSTALL_RPATH "$ORIGIN")
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  # Only what the sources export is visible, also from linked static libraries.
  target_link_options(${name} PRIVATE -Wl,--no-undefined -Wl,--exclude-libs,ALL)
  if(ARG_EXPORTS)
    list(JOIN ARG_EXPORTS "; " globals)
    set(map ${CMAKE_CURRENT_BINARY_DIR}/${name}.map)
    file(WRITE ${map} "{ global: ${globals}; local: *; };\n")
    target_link_options(${name} PRIVATE -Wl,--version-script=${map})
    set_target_properties(${name} PROPERTIES LINK_DEPENDS ${map})
  endif()
endfunction()

# kv_add_test(NAME SOURCES ... LIBS ...)
# One GoogleTest binary, registered with CTest as one test.
function(kv_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "KV_BUILD_DIR=${CMAKE_BINARY_DIR};KV_PRACTICE_LIBS=${KV_PRACTICE_LIB_DIR}")
endfunction()
