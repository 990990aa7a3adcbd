# Executables, tools, tests and benchmarks. Kept apart from the top-level file
# so that each part of the program adds its targets in one obvious place.

# pngdecode: decode any PNG with Glimmerdome's codec and write RGBA as PAM.
if(EXISTS ${PROJECT_SOURCE_DIR}/tools/pngdecode.cpp)
  add_executable(pngdecode tools/pngdecode.cpp)
  target_link_libraries(pngdecode PRIVATE glimmer_core)
endif()

if(GLIMMERDOME_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  find_package(PNG REQUIRED)  # the reference decoder and encoder of the codec tests
  include(GoogleTest)
  # PngSuite, the PNG conformance images; the tests that read it skip when it is missing.
  set(GLIMMERDOME_PNGSUITE_DIR "${PROJECT_SOURCE_DIR}/../shared/testdata/pngsuite"
      CACHE PATH "Folder of the PngSuite images")
  file(GLOB TEST_SOURCES CONFIGURE_DEPENDS tests/*.cpp)
  add_executable(glimmer_tests ${TEST_SOURCES})
  target_link_libraries(glimmer_tests PRIVATE glimmer_core PNG::PNG GTest::gtest GTest::gtest_main)
  target_compile_definitions(glimmer_tests PRIVATE
    GLIMMERDOME_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    GLIMMERDOME_PNGSUITE_DIR="${GLIMMERDOME_PNGSUITE_DIR}")
  if(TARGET pngdecode)
    add_dependencies(glimmer_tests pngdecode)
    target_compile_definitions(glimmer_tests PRIVATE GLIMMERDOME_PNGDECODE="$<TARGET_FILE:pngdecode>")
  endif()
  gtest_discover_tests(glimmer_tests DISCOVERY_TIMEOUT 60)
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

# picture_fuzz: libFuzzer entry for the PNG and BMP decoders (fuzzing builds
# with clang only; see fuzz/picture_fuzz.cpp for how to build and run it).
if(GLIMMERDOME_FUZZING AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(picture_fuzz fuzz/picture_fuzz.cpp)
  target_link_libraries(picture_fuzz PRIVATE glimmer_core)
  target_compile_options(picture_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_options(picture_fuzz PRIVATE -fsanitize=fuzzer)
endif()
