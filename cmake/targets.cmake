# Executables, tools, tests and benchmarks. Kept apart from the top-level file
# so that each part of the program adds its targets in one obvious place.

# The headless backend and the command line: always built.
file(GLOB HEADLESS_SOURCES CONFIGURE_DEPENDS src/platform/headless/*.cpp src/cli/*.cpp)
add_library(glimmer_headless STATIC ${HEADLESS_SOURCES})
target_link_libraries(glimmer_headless PUBLIC glimmer_core)

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
    include(GoogleTest)
  endif()
  file(GLOB TEST_SOURCES CONFIGURE_DEPENDS tests/*.cpp)
  add_executable(glimmer_tests ${TEST_SOURCES})
  target_link_libraries(glimmer_tests PRIVATE glimmer_headless GTest::gtest GTest::gtest_main)
  if(WIN32)
    target_link_libraries(glimmer_tests PRIVATE glimmer_win32)
  endif()
  target_compile_definitions(glimmer_tests PRIVATE
    GLIMMERDOME_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    GLIMMERDOME_PNGSUITE_DIR="${PROJECT_SOURCE_DIR}/../shared/testdata/pngsuite")
  if(CMAKE_CROSSCOMPILING)
    # Run by the Windows test stage under Wine.
    add_test(NAME glimmer_tests COMMAND glimmer_tests)
  else()
    gtest_discover_tests(glimmer_tests DISCOVERY_TIMEOUT 60)
  endif()
endif()
