# tarnwick_layer(NAME DIR DEPS ...): a static library of every .cpp in DIR
# (recursively). A folder with no sources yet gives an interface library, so
# the layers can be filled in one at a time.
set(TARNWICK_CORE_LAYERS "" CACHE INTERNAL "")
function(tarnwick_layer name dir)
  cmake_parse_arguments(L "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${L_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${L_DEPS})
  endif()
  if(name MATCHES "^tarnwick_core_")
    set(TARNWICK_CORE_LAYERS ${TARNWICK_CORE_LAYERS} ${name} CACHE INTERNAL "")
  endif()
endfunction()

# tarnwick_gtest(NAME DIR DEPS ...): one GoogleTest program of every .cpp in DIR.
function(tarnwick_gtest name dir)
  cmake_parse_arguments(T "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_DEPS} tarnwick_test_support GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "TARNWICK_SOURCE_DIR=${CMAKE_SOURCE_DIR};TARNWICK_PORTABLE_DIR=${TARNWICK_PORTABLE_DIR}")
endfunction()
