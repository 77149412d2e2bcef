# Windows build: shinkei.exe over the real Windows API, and the checks that run it under Wine.
enable_language(RC)
# The resource script is UTF-8; without a code page windres garbles the Japanese texts.
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

file(GLOB WIN32_FRAMEWORK_SOURCES CONFIGURE_DEPENDS
  src/framework/common/*.cpp src/framework/win32/*.cpp)
add_library(framework_win32 STATIC ${WIN32_FRAMEWORK_SOURCES})
target_include_directories(framework_win32 PUBLIC src res)
target_compile_definitions(framework_win32 PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)
target_link_libraries(framework_win32 PUBLIC user32 gdi32 winmm comctl32 oleacc oleaut32 ole32 uuid)
target_link_libraries(shinkei_program PUBLIC framework_win32)

# The manifest names the version of res/version.h, the one place it is written: "1, 27, 0, 0"
# there is "1.27.0.0" here.
file(STRINGS ${CMAKE_SOURCE_DIR}/res/version.h SHINKEI_VERSION_LINE
  REGEX "^#define SHINKEI_VERSION_NUMBERS ")
string(REGEX REPLACE "^#define SHINKEI_VERSION_NUMBERS +" "" SHINKEI_MANIFEST_VERSION
  "${SHINKEI_VERSION_LINE}")
string(REGEX REPLACE " *, *" "." SHINKEI_MANIFEST_VERSION "${SHINKEI_MANIFEST_VERSION}")
configure_file(${CMAKE_SOURCE_DIR}/res/shinkei.manifest.in
  ${CMAKE_BINARY_DIR}/generated/shinkei.manifest @ONLY)

# Menus, dialogs, strings, icons and bitmaps, shared by the program and the Windows-side tests.
add_library(shinkei_resources OBJECT res/shinkei.rc)
target_include_directories(shinkei_resources PRIVATE res src ${CMAKE_BINARY_DIR}/generated)
set_property(SOURCE res/shinkei.rc APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_SOURCE_DIR}/res/resource.h ${CMAKE_SOURCE_DIR}/res/version.h
  ${CMAKE_BINARY_DIR}/generated/shinkei.manifest)
file(GLOB RESOURCE_IMAGES CONFIGURE_DEPENDS res/*.bmp res/*.ico)
set_property(SOURCE res/shinkei.rc APPEND PROPERTY OBJECT_DEPENDS ${RESOURCE_IMAGES})

# The same sources give the same bytes wherever they are built: no build folder in the code (from
# __FILE__ or debug paths) and no link time in the header.
# (CMAKE_CXX_FLAGS reaches every C++ target of the build, also those made before this line.)
string(APPEND CMAKE_CXX_FLAGS
  " -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.")

# A small, self-contained program: no DLLs beyond the system's, nothing to install beside it.
set(SHINKEI_WINDOWS_LINK_OPTIONS
  -static -s -Wl,--dynamicbase,--nxcompat,--high-entropy-va,--no-insert-timestamp)

# The sound files, built from their text sources in res/sounds by scripts/make-sounds. They lie
# beside shinkei.exe in this build folder, where the game finds them by name; a package of the
# game takes the four files of SHINKEI_SOUND_FILES with the exe.
file(GLOB SOUND_SOURCES CONFIGURE_DEPENDS res/sounds/*.sox res/sounds/*.abc)
set(SHINKEI_SOUND_FILES)
foreach(source IN LISTS SOUND_SOURCES)
  cmake_path(GET source STEM stem)
  cmake_path(GET source EXTENSION LAST_ONLY extension)
  if(extension STREQUAL ".sox")
    set(sound ${CMAKE_BINARY_DIR}/${stem}.wav)
  else()
    set(sound ${CMAKE_BINARY_DIR}/${stem}.mid)
  endif()
  add_custom_command(OUTPUT ${sound}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-sounds ${CMAKE_BINARY_DIR} ${source}
    DEPENDS ${source} ${CMAKE_SOURCE_DIR}/scripts/make-sounds
    COMMENT "Making ${stem}${extension} into a sound file" VERBATIM)
  list(APPEND SHINKEI_SOUND_FILES ${sound})
endforeach()
add_custom_target(sounds ALL DEPENDS ${SHINKEI_SOUND_FILES})

if(EXISTS ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
  add_executable(shinkei WIN32 src/app/main.cpp $<TARGET_OBJECTS:shinkei_resources>)
  target_link_libraries(shinkei PRIVATE shinkei_program)
  # WinMain lives in the framework library; the C runtime asks for it only after our libraries.
  target_link_options(shinkei PRIVATE ${SHINKEI_WINDOWS_LINK_OPTIONS} -Wl,--undefined=WinMain)
  add_dependencies(shinkei sounds)
endif()

# The scripted runner: the program on the real API in real time, writing the simulator's
# transcript, for the comparison test below.
add_executable(shinkei-runner tools/runner/runner.cpp $<TARGET_OBJECTS:shinkei_resources>)
target_include_directories(shinkei-runner PRIVATE tools/sim)
target_compile_definitions(shinkei-runner PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)
target_link_libraries(shinkei-runner PRIVATE shinkei_program)
target_link_options(shinkei-runner PRIVATE ${SHINKEI_WINDOWS_LINK_OPTIONS})

# --- Windows-side tests, run under Wine -------------------------------------------------------

set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

include(GoogleTest)
file(GLOB WINDOWS_TEST_SOURCES CONFIGURE_DEPENDS tests/windows/*.cpp tests/contract/*.cpp)
add_executable(windows_tests ${WINDOWS_TEST_SOURCES} $<TARGET_OBJECTS:shinkei_resources>)
target_include_directories(windows_tests PRIVATE tests/windows tests/contract)
# The simulated desktop's screens, written by the native tests, for the Windows side to compare.
target_compile_definitions(windows_tests PRIVATE SHINKEI_SCREENS_DIR="Z:${CMAKE_SOURCE_DIR}/build/screens")
target_compile_definitions(windows_tests PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)
target_link_libraries(windows_tests PRIVATE shinkei_program gtest gtest_main)
target_link_options(windows_tests PRIVATE ${SHINKEI_WINDOWS_LINK_OPTIONS})
set_target_properties(windows_tests PROPERTIES
  CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/scripts/wine-run;headless")
gtest_discover_tests(windows_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
  PROPERTIES LABELS windows TIMEOUT 60)

if(TARGET shinkei)
  # Everything a player's copy holds, in this folder: the program and the files it plays (see
  # scripts/game-files). The rules that make the sound files hang under this target.
  add_custom_target(game_files ALL)
  add_dependencies(game_files shinkei)

  # The release checks read the shipped program's own version information and manifest.
  target_link_libraries(windows_tests PRIVATE version)
  target_compile_definitions(windows_tests PRIVATE SHINKEI_EXE_PATH="$<TARGET_FILE:shinkei>")
  add_dependencies(windows_tests shinkei)

  add_test(NAME windows.exe_session
    COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/exe_session.sh $<TARGET_FILE:shinkei>
            ${CMAKE_BINARY_DIR}/exe_session.png)
  set_tests_properties(windows.exe_session PROPERTIES LABELS windows TIMEOUT 180)

  # A screen reader in a process of its own: the real game's board through MSAA, its 54 cells'
  # names and the events of a card turned, in each language.
  add_executable(screen_reader tests/windows/reader/screen_reader.cpp)
  target_compile_definitions(screen_reader PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)
  target_link_libraries(screen_reader PRIVATE oleacc ole32 oleaut32 uuid)
  target_link_options(screen_reader PRIVATE ${SHINKEI_WINDOWS_LINK_OPTIONS} -municode)
  add_dependencies(screen_reader shinkei)
  foreach(language japanese english)
    set(arguments Z:$<TARGET_FILE:shinkei>)
    if(language STREQUAL "english")
      list(APPEND arguments /lang:en)
    endif()
    add_test(NAME windows.screen_reader.${language}
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run headless $<TARGET_FILE:screen_reader>
              ${arguments})
    set_tests_properties(windows.screen_reader.${language} PROPERTIES LABELS windows TIMEOUT 60)
  endforeach()

  # Every function the program imports, ours or the runtime's, is one Windows 7 has.
  add_test(NAME windows.windows7_imports
    COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/windows7_imports.sh $<TARGET_FILE:shinkei>)
  set_tests_properties(windows.windows7_imports PROPERTIES LABELS windows TIMEOUT 30)

  # The cues as a player hears them: shinkei.exe under Wine, played into a private sound server.
  add_test(NAME windows.sound_capture
    COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/sound_capture.sh $<TARGET_FILE:shinkei>)
  set_tests_properties(windows.sound_capture PROPERTIES LABELS windows TIMEOUT 240
    SKIP_RETURN_CODE 77)

  # The release as players get it: the Windows zip unpacked and started, the Linux desktop
  # install started twice, the Debian package checked and started unpacked, and the zip and the
  # package built alike in two fresh clones.
  add_test(NAME windows.dist_unzipped
    COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/dist_unzipped.sh ${CMAKE_BINARY_DIR}
            ${CMAKE_BINARY_DIR}/dist_unzipped.png)
  add_test(NAME windows.install_session COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/install_session.sh)
  add_test(NAME windows.deb_package COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/deb_package.sh)
  add_test(NAME windows.dist_reproducible
    COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/dist_reproducible.sh)
  set_tests_properties(windows.dist_unzipped PROPERTIES LABELS windows TIMEOUT 180)
  set_tests_properties(windows.install_session PROPERTIES LABELS windows TIMEOUT 300)
  set_tests_properties(windows.deb_package PROPERTIES LABELS windows TIMEOUT 300)
  set_tests_properties(windows.dist_reproducible PROPERTIES LABELS windows TIMEOUT 1500)
endif()

# The music's synthesizer for the game (scripts/synth), on stand-ins for the sequencer and
# FluidSynth: started, reused, done without, and never left running.
add_test(NAME windows.synth_cases COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/synth_cases.sh)
set_tests_properties(windows.synth_cases PROPERTIES LABELS windows TIMEOUT 60)

add_test(NAME windows.sound_files
  COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/sound_files_test.py ${CMAKE_BINARY_DIR})
set_tests_properties(windows.sound_files PROPERTIES LABELS windows TIMEOUT 120)

file(GLOB SAME_TURNS_SCRIPTS CONFIGURE_DEPENDS tests/scripts/*.txt)
foreach(script ${SAME_TURNS_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME windows.same_turns.${name}
    COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/same_turns.sh $<TARGET_FILE:shinkei-runner>
            ${script} ${CMAKE_BINARY_DIR}/same_turns)
  set_tests_properties(windows.same_turns.${name} PROPERTIES LABELS windows TIMEOUT 90)
endforeach()
