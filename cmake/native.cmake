# Native build: the program on the simulated desktop, its tests, the headless simulator.

# The simulated desktop reads the menus and dialog templates from the resource script itself.
file(READ ${CMAKE_SOURCE_DIR}/res/shinkei.rc SHINKEI_RC_TEXT)
file(READ ${CMAKE_SOURCE_DIR}/res/resource.h SHINKEI_RESOURCE_H_TEXT)
configure_file(${CMAKE_SOURCE_DIR}/src/framework/sim/resource_text.cpp.in
               ${CMAKE_BINARY_DIR}/generated/resource_text.cpp @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/res/shinkei.rc ${CMAKE_SOURCE_DIR}/res/resource.h)

file(GLOB SIM_SOURCES CONFIGURE_DEPENDS src/framework/common/*.cpp src/framework/sim/*.cpp)
add_library(framework_sim STATIC ${SIM_SOURCES} ${CMAKE_BINARY_DIR}/generated/resource_text.cpp)
target_include_directories(framework_sim PUBLIC src res)
target_link_libraries(shinkei_program PUBLIC framework_sim)

find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS tests/native/*.cpp)
add_executable(native_tests ${NATIVE_TEST_SOURCES})
target_include_directories(native_tests PRIVATE tests/native)
target_link_libraries(native_tests PRIVATE shinkei_program GTest::gtest GTest::gtest_main)
gtest_discover_tests(native_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS native)

file(GLOB SIM_TOOL_SOURCES CONFIGURE_DEPENDS tools/sim/*.cpp)
list(FILTER SIM_TOOL_SOURCES EXCLUDE REGEX "bench")
if(SIM_TOOL_SOURCES)
  add_executable(shinkei-sim ${SIM_TOOL_SOURCES})
  target_link_libraries(shinkei-sim PRIVATE shinkei_program)
endif()
