# Executables, tools, tests and benchmarks. Kept apart from the top-level file
# so that each part of the program adds its targets in one obvious place.

# The settings store of Linux desktops: a key file and an XDG autostart entry,
# through GLib. Shared by the headless and the GTK backends; not part of a
# Windows build, whose settings live in the registry.
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(GLIB REQUIRED IMPORTED_TARGET glib-2.0>=2.66)
  file(GLOB LINUX_SOURCES CONFIGURE_DEPENDS src/platform/linux/*.cpp)
  add_library(glimmer_keyfile STATIC ${LINUX_SOURCES})
  target_include_directories(glimmer_keyfile PUBLIC src)
  target_link_libraries(glimmer_keyfile PUBLIC PkgConfig::GLIB)
  target_compile_definitions(glimmer_keyfile PUBLIC GLIMMERDOME_HAVE_KEYFILE_STORE=1)
endif()

# The headless backend and the command line: always built.
file(GLOB HEADLESS_SOURCES CONFIGURE_DEPENDS src/platform/headless/*.cpp src/cli/*.cpp)
add_library(glimmer_headless STATIC ${HEADLESS_SOURCES})
target_link_libraries(glimmer_headless PUBLIC glimmer_core)
if(TARGET glimmer_keyfile)
  target_link_libraries(glimmer_headless PUBLIC glimmer_keyfile)
endif()

add_executable(glimmerdome src/main.cpp)
target_link_libraries(glimmerdome PRIVATE glimmer_headless)
install(TARGETS glimmerdome RUNTIME DESTINATION bin)

# pngdecode: decode any PNG with Glimmerdome's codec and write RGBA as PAM.
if(EXISTS ${PROJECT_SOURCE_DIR}/tools/pngdecode.cpp)
  add_executable(pngdecode tools/pngdecode.cpp)
  target_link_libraries(pngdecode PRIVATE glimmer_core)
endif()

if(GLIMMERDOME_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  find_package(PNG REQUIRED)  # reference decoder: codec tests, and reading the committed art
  include(GoogleTest)
  # PngSuite, the PNG conformance images; the tests that read it skip when it is missing.
  set(GLIMMERDOME_PNGSUITE_DIR "${PROJECT_SOURCE_DIR}/../shared/testdata/pngsuite"
      CACHE PATH "Folder of the PngSuite images")
  file(GLOB TEST_SOURCES CONFIGURE_DEPENDS tests/*.cpp)
  add_executable(glimmer_tests ${TEST_SOURCES})
  target_link_libraries(glimmer_tests PRIVATE glimmer_headless PNG::PNG GTest::gtest GTest::gtest_main)
  target_compile_definitions(glimmer_tests PRIVATE
    GLIMMERDOME_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    GLIMMERDOME_PNGSUITE_DIR="${GLIMMERDOME_PNGSUITE_DIR}")
  if(TARGET pngdecode)
    add_dependencies(glimmer_tests pngdecode)
    target_compile_definitions(glimmer_tests PRIVATE GLIMMERDOME_PNGDECODE="$<TARGET_FILE:pngdecode>")
  endif()
  gtest_discover_tests(glimmer_tests DISCOVERY_TIMEOUT 60)
endif()

# artgen: draws the scene pictures under src/images/art (and the review sheets
# under docs/art). Only built on request, so that the program needs no cairo.
if(GLIMMERDOME_ARTGEN)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(ARTGEN_LIBS REQUIRED IMPORTED_TARGET cairo cairo-ft freetype2 libpng)
  file(GLOB ARTGEN_SOURCES CONFIGURE_DEPENDS tools/artgen/*.cpp)
  add_executable(artgen ${ARTGEN_SOURCES})
  target_link_libraries(artgen PRIVATE PkgConfig::ARTGEN_LIBS)
endif()

# Fuzz targets (clang's libFuzzer). Only in a fuzzing build, whose decoders skip
# the checksum checks; see scripts/stages/60-fuzz.sh for how they are run.
if(GLIMMERDOME_FUZZING)
  foreach(target fuzz_stored_picture fuzz_bmp)
    add_executable(${target} fuzz/${target}.cpp)
    target_link_libraries(${target} PRIVATE glimmer_core)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  endforeach()
  find_package(PNG REQUIRED)
  add_executable(fuzz_make_seeds fuzz/make_seeds.cpp tests/png_test_support.cpp)
  target_include_directories(fuzz_make_seeds PRIVATE tests)
  target_link_libraries(fuzz_make_seeds PRIVATE glimmer_core PNG::PNG)
endif()

# decode_bench: the PNG codec's speed next to libpng (and libspng if present).
if(GLIMMERDOME_BENCH)
  find_package(benchmark REQUIRED)
  find_package(PNG REQUIRED)
  set(GLIMMERDOME_PNGSUITE_DIR "${PROJECT_SOURCE_DIR}/../shared/testdata/pngsuite"
      CACHE PATH "Folder of the PngSuite images")
  add_executable(decode_bench bench/decode_bench.cpp tests/png_test_support.cpp)
  target_include_directories(decode_bench PRIVATE tests)
  target_link_libraries(decode_bench PRIVATE glimmer_core PNG::PNG benchmark::benchmark)
  target_compile_definitions(decode_bench PRIVATE GLIMMERDOME_PNGSUITE_DIR="${GLIMMERDOME_PNGSUITE_DIR}")
  find_path(SPNG_INCLUDE_DIR spng.h)
  find_library(SPNG_LIBRARY spng)
  if(SPNG_INCLUDE_DIR AND SPNG_LIBRARY)
    target_include_directories(decode_bench PRIVATE ${SPNG_INCLUDE_DIR})
    target_link_libraries(decode_bench PRIVATE ${SPNG_LIBRARY})
    target_compile_definitions(decode_bench PRIVATE GLIMMERDOME_HAVE_SPNG=1)
  endif()
endif()
