# Native build: the program on the simulated desktop, its tests, the headless simulator.

include(cmake/sim.cmake)

find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS tests/native/*.cpp tests/contract/*.cpp)
add_executable(native_tests ${NATIVE_TEST_SOURCES})
target_include_directories(native_tests PRIVATE tests/native tests/contract)
# Where the native tests leave the simulated desktop's screens for the Windows side to compare.
target_compile_definitions(native_tests PRIVATE SHINKEI_SCREENS_DIR="${CMAKE_SOURCE_DIR}/build/screens")
target_link_libraries(native_tests PRIVATE shinkei_program GTest::gtest GTest::gtest_main)
gtest_discover_tests(native_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS native)

# The headless simulator: a library the tests use, and the command.
add_library(shinkei_sim_core STATIC tools/sim/simulator.cpp tools/sim/room_log.cpp
  tools/sim/tournament.cpp)
target_include_directories(shinkei_sim_core PUBLIC tools/sim)
target_link_libraries(shinkei_sim_core PUBLIC shinkei_program)
add_executable(shinkei-sim tools/sim/main.cpp)
target_link_libraries(shinkei-sim PRIVATE shinkei_sim_core)
target_link_libraries(native_tests PRIVATE shinkei_sim_core)
target_compile_definitions(native_tests PRIVATE SHINKEI_SIM_PATH="$<TARGET_FILE:shinkei-sim>"
  SHINKEI_SCRIPTS_DIR="${CMAKE_SOURCE_DIR}/tests/fuzz/scripts"
  SHINKEI_SESSIONS_DIR="${CMAKE_SOURCE_DIR}/tests/scripts")
add_dependencies(native_tests shinkei-sim)

find_package(benchmark QUIET)
if(benchmark_FOUND)
  add_executable(game_bench tests/bench/game_bench.cpp)
  # Figures, not a test: make bench runs it in the release build.
  target_link_libraries(game_bench PRIVATE shinkei_sim_core benchmark::benchmark)
endif()

# The script reader under libFuzzer (make fuzz).
if(SHINKEI_FUZZ)
  add_executable(script_fuzzer tests/fuzz/script_fuzzer.cpp)
  target_link_libraries(script_fuzzer PRIVATE shinkei_sim_core)
  target_link_options(script_fuzzer PRIVATE -fsanitize=fuzzer)
endif()
