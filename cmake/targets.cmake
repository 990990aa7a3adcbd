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

# The Windows backend and the program's resources, when building for Windows.
if(WIN32)
  include(cmake/windows.cmake)
endif()

# make_icon: draws the Windows program's icon from the globe picture.
if(NOT CMAKE_CROSSCOMPILING)
  add_executable(make_icon tools/make_icon.cpp)
  target_link_libraries(make_icon PRIVATE glimmer_headless)
endif()

# pngdecode: decode any PNG with Glimmerdome's codec and write RGBA as PAM.
if(EXISTS ${PROJECT_SOURCE_DIR}/tools/pngdecode.cpp)
  add_executable(pngdecode tools/pngdecode.cpp)
  target_link_libraries(pngdecode PRIVATE glimmer_core)
endif()

if(GLIMMERDOME_TESTS)
  enable_testing()
  if(CMAKE_CROSSCOMPILING)
    # No GoogleTest is packaged for the target: build it from Debian's sources.
    set(GLIMMERDOME_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${GLIMMERDOME_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  else()
    find_package(GTest REQUIRED)
    find_package(PNG REQUIRED)  # reference decoder: codec tests, and reading the committed art
    include(GoogleTest)
  endif()
  # PngSuite, the PNG conformance images; the tests that read it skip when it is missing.
  set(GLIMMERDOME_PNGSUITE_DIR "${PROJECT_SOURCE_DIR}/../shared/testdata/pngsuite"
      CACHE PATH "Folder of the PngSuite images")
  file(GLOB TEST_SOURCES CONFIGURE_DEPENDS tests/*.cpp)
  if(CMAKE_CROSSCOMPILING)
    # libpng, the tests' reference decoder, and the POSIX process calls exist
    # only on the build machine: the tests that use them run in the native build.
    foreach(source IN LISTS TEST_SOURCES)
      file(READ ${source} text)
      if(text MATCHES "#include [<\"](png\\.h|art_files\\.h|png_test_support\\.h|sys/wait\\.h)[>\"]")
        list(REMOVE_ITEM TEST_SOURCES ${source})
      endif()
    endforeach()
  endif()
  add_executable(glimmer_tests ${TEST_SOURCES})
  target_link_libraries(glimmer_tests PRIVATE glimmer_headless GTest::gtest GTest::gtest_main)
  if(WIN32)
    target_link_libraries(glimmer_tests PRIVATE glimmer_win32)
  endif()
  if(NOT CMAKE_CROSSCOMPILING)
    target_link_libraries(glimmer_tests PRIVATE PNG::PNG)
  endif()
  target_compile_definitions(glimmer_tests PRIVATE
    GLIMMERDOME_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    GLIMMERDOME_PNGSUITE_DIR="${GLIMMERDOME_PNGSUITE_DIR}")
  if(TARGET pngdecode)
    add_dependencies(glimmer_tests pngdecode)
    target_compile_definitions(glimmer_tests PRIVATE GLIMMERDOME_PNGDECODE="$<TARGET_FILE:pngdecode>")
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Run by the Windows test stage under Wine.
    add_test(NAME glimmer_tests COMMAND glimmer_tests)
  else()
    gtest_discover_tests(glimmer_tests DISCOVERY_TIMEOUT 60)
  endif()
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
