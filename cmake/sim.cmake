# The simulated desktop, shared by the native build and the browser build.

# It reads the menus, dialog templates and strings from the resource script itself, with the
# #define lines of the two headers the script includes.
file(READ ${CMAKE_SOURCE_DIR}/res/shinkei.rc SHINKEI_RC_TEXT)
file(READ ${CMAKE_SOURCE_DIR}/res/resource.h SHINKEI_RESOURCE_H_TEXT)
file(READ ${CMAKE_SOURCE_DIR}/res/version.h SHINKEI_VERSION_H_TEXT)
string(APPEND SHINKEI_RESOURCE_H_TEXT "${SHINKEI_VERSION_H_TEXT}")
configure_file(${CMAKE_SOURCE_DIR}/src/framework/sim/resource_text.cpp.in
               ${CMAKE_BINARY_DIR}/generated/resource_text.cpp @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/res/shinkei.rc ${CMAKE_SOURCE_DIR}/res/resource.h
  ${CMAKE_SOURCE_DIR}/res/version.h)

file(GLOB SIM_SOURCES CONFIGURE_DEPENDS src/framework/common/*.cpp src/framework/sim/*.cpp)
add_library(framework_sim STATIC ${SIM_SOURCES} ${CMAKE_BINARY_DIR}/generated/resource_text.cpp)
target_include_directories(framework_sim PUBLIC src res)
# The simulated screen reads the program's bitmaps to show their colours. In the browser they come
# from the page instead, and no folder of the build machine goes into the page.
if(EMSCRIPTEN)
  target_compile_definitions(framework_sim PRIVATE SHINKEI_RES_DIR="/res")
else()
  target_compile_definitions(framework_sim PRIVATE SHINKEI_RES_DIR="${CMAKE_SOURCE_DIR}/res")
endif()
target_link_libraries(shinkei_program PUBLIC framework_sim)
