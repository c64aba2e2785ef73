# Helpers so that each subsystem's CMakeLists.txt only names itself, its
# dependencies and (for tests) nothing at all.

# limsbridge_layers(name=level ...): records the layer of each subsystem.
function(limsbridge_layers)
  foreach(pair ${ARGN})
    string(REPLACE "=" ";" parts "${pair}")
    list(GET parts 0 name)
    list(GET parts 1 level)
    set_property(GLOBAL PROPERTY LIMSBRIDGE_LAYER_${name} ${level})
  endforeach()
endfunction()

# Refuses a dependency on a subsystem of a higher layer.
function(limsbridge_check_layers name)
  get_property(own GLOBAL PROPERTY LIMSBRIDGE_LAYER_${name})
  if(own STREQUAL "")
    message(FATAL_ERROR "subsystem '${name}' has no layer")
  endif()
  foreach(dep ${ARGN})
    get_property(theirs GLOBAL PROPERTY LIMSBRIDGE_LAYER_${dep})
    if(theirs STREQUAL "")
      message(FATAL_ERROR "'${name}' depends on unknown subsystem '${dep}'")
    endif()
    if(theirs GREATER own)
      message(FATAL_ERROR "'${name}' (layer ${own}) may not depend on '${dep}' (layer ${theirs})")
    endif()
  endforeach()
endfunction()

# limsbridge_add_library(NAME DEPENDS sub... LIBS external...)
# Builds src/<NAME> into the static library lb_<NAME> from the sources in its folder.
function(limsbridge_add_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;LIBS" ${ARGN})
  limsbridge_check_layers(${name} ${ARG_DEPENDS})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    set(sources ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(lb_${name} STATIC ${sources})
  target_include_directories(lb_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
  set(deps)
  foreach(dep ${ARG_DEPENDS})
    list(APPEND deps lb_${dep})
  endforeach()
  target_link_libraries(lb_${name} PUBLIC ${deps} ${ARG_LIBS})
  set_property(GLOBAL PROPERTY LIMSBRIDGE_DEPENDS_${name} ${ARG_DEPENDS})
endfunction()

# limsbridge_add_tests(subsystem [LIBS extra...]): one executable per
# tests/<subsystem>/test_*.cpp, linked with the subsystem library, labelled
# with the subsystem's name. Shared helpers of the folder (*.cpp without the
# test_ prefix) go into every executable of the folder.
function(limsbridge_add_tests subsystem)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER helpers EXCLUDE REGEX "/test_[^/]*\\.cpp$")
  foreach(test ${tests})
    get_filename_component(testname ${test} NAME_WE)
    set(exe ${subsystem}_${testname})
    add_executable(${exe} ${test} ${helpers})
    set_target_properties(${exe} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_include_directories(${exe} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${exe} PRIVATE lb_${subsystem} lb_testsupport ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    add_test(NAME ${exe} COMMAND ${exe})
    set_tests_properties(${exe} PROPERTIES LABELS ${subsystem}
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LIMSBRIDGE_BIN=${CMAKE_BINARY_DIR}/bin")
  endforeach()
endfunction()
