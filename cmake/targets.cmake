# Executables, tools, tests and benchmarks. Kept apart from the top-level file
# so that each part of the program adds its targets in one obvious place.

# What two backends share: the settings kept in memory, the region walk.
glimmer_folder_library(glimmer_backend_shared platform/shared LINKS glimmer_seam)

# The settings store of Linux desktops: a key file and an XDG autostart entry,
# through GLib. Shared by the headless and the GTK backends; not part of a
# Windows build, whose settings live in the registry.
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(GLIB REQUIRED IMPORTED_TARGET glib-2.0>=2.66)
  glimmer_folder_library(glimmer_keyfile platform/linux LINKS glimmer_seam glimmer_i18n PkgConfig::GLIB)
  target_compile_definitions(glimmer_keyfile PUBLIC GLIMMERDOME_HAVE_KEYFILE_STORE=1)

  # The locale's long date from ICU's CLDR data, for the headless and the GTK
  # backends. Windows reads its own locale settings and never links ICU.
  find_package(ICU REQUIRED COMPONENTS uc i18n)
  glimmer_folder_library(glimmer_icu platform/icu LINKS glimmer_calendar ICU::i18n ICU::uc)
  target_compile_definitions(glimmer_icu PUBLIC GLIMMERDOME_HAVE_ICU=1)
endif()

# The headless backend and the command line: always built.
glimmer_folder_library(glimmer_headless platform/headless LINKS glimmer_seam glimmer_backend_shared glimmer_images)
if(TARGET glimmer_keyfile)
  target_link_libraries(glimmer_headless PUBLIC glimmer_keyfile glimmer_icu)
endif()
glimmer_folder_library(glimmer_cli cli LINKS glimmer_headless glimmer_settings)

# main.cpp chooses the backend; it alone sees the main window and the backends.
add_executable(glimmerdome src/main.cpp)
target_link_libraries(glimmerdome PRIVATE glimmer_app glimmer_cli glimmer_headless)
target_compile_definitions(glimmerdome PRIVATE GLIMMERDOME_VERSION="${PROJECT_VERSION}")
install(TARGETS glimmerdome RUNTIME DESTINATION bin)

# The GTK 3 desktop backend, when GTK is there to build it; not for Windows.
set(GLIMMERDOME_HAVE_GTK OFF)
if(GLIMMERDOME_GTK AND NOT WIN32)
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND)
    pkg_check_modules(GTK3 QUIET IMPORTED_TARGET gtk+-3.0 x11 x11-xcb xext xscrnsaver xcb xcb-shm)
  endif()
  if(GTK3_FOUND)
    set(GLIMMERDOME_HAVE_GTK ON)
    glimmer_folder_library(glimmer_gtk platform/gtk
      LINKS glimmer_seam glimmer_backend_shared glimmer_i18n glimmer_icu PkgConfig::GTK3)
    if(TARGET glimmer_keyfile)
      target_link_libraries(glimmer_gtk PUBLIC glimmer_keyfile)
    endif()
    # On Wayland desktops that offer layer-shell the globe is a layer surface
    # of its own; without the library it runs through XWayland there.
    pkg_check_modules(LAYER_SHELL QUIET IMPORTED_TARGET gtk-layer-shell-0 wayland-client)
    if(LAYER_SHELL_FOUND)
      target_link_libraries(glimmer_gtk PUBLIC PkgConfig::LAYER_SHELL)
      target_compile_definitions(glimmer_gtk PUBLIC GLIMMERDOME_HAVE_LAYER_SHELL=1)
      # The globe's frames at the compositor's fractional scale: the client
      # code of two protocols, generated here (wayland-scanner) into the GTK
      # backend's own include folder.
      pkg_check_modules(WAYLAND_PROTOCOLS QUIET wayland-protocols)
      pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
      if(WAYLAND_PROTOCOLS_FOUND AND WAYLAND_SCANNER)
        pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
        set(protocol_dir ${CMAKE_BINARY_DIR}/wayland-protocols)
        file(MAKE_DIRECTORY ${protocol_dir})
        set(protocol_sources "")
        foreach(xml staging/fractional-scale/fractional-scale-v1.xml stable/viewporter/viewporter.xml)
          get_filename_component(name ${xml} NAME_WE)
          add_custom_command(
            OUTPUT ${protocol_dir}/${name}-client-protocol.h ${protocol_dir}/${name}-protocol.c
            COMMAND ${WAYLAND_SCANNER} client-header ${WAYLAND_PROTOCOLS_DIR}/${xml} ${protocol_dir}/${name}-client-protocol.h
            COMMAND ${WAYLAND_SCANNER} private-code ${WAYLAND_PROTOCOLS_DIR}/${xml} ${protocol_dir}/${name}-protocol.c
            DEPENDS ${WAYLAND_PROTOCOLS_DIR}/${xml}
            VERBATIM)
          list(APPEND protocol_sources ${protocol_dir}/${name}-client-protocol.h ${protocol_dir}/${name}-protocol.c)
        endforeach()
        target_sources(glimmer_gtk PRIVATE ${protocol_sources})
        target_include_directories(glimmer_gtk PRIVATE ${protocol_dir})
        target_compile_definitions(glimmer_gtk PRIVATE GLIMMERDOME_HAVE_FRACTIONAL_SCALE=1)
      else()
        message(STATUS "wayland-scanner or wayland-protocols not found: on Wayland the globe keeps the output's integer scale")
      endif()
    else()
      message(STATUS "gtk-layer-shell not found: on Wayland glimmerdome runs through XWayland")
    endif()
    target_link_libraries(glimmerdome PRIVATE glimmer_gtk)
    target_compile_definitions(glimmerdome PRIVATE GLIMMERDOME_HAVE_GTK)
    # The plain GTK way of animating a window, the yardstick of bench/gtk_cpu.sh.
    add_executable(gtk_baseline EXCLUDE_FROM_ALL bench/gtk_baseline.cpp)
    target_link_libraries(gtk_baseline PRIVATE PkgConfig::GTK3 m)
  else()
    message(STATUS "GTK 3 not found: glimmerdome is built without its desktop backend")
  endif()
endif()

# The Windows backend and the program's resources, when building for Windows.
if(WIN32)
  include(cmake/windows.cmake)
endif()

# glimmer_icon draws the program's icon from the globe pictures: a PNG for
# Linux desktops, and the .ico of the Windows build, for which it runs on the
# build machine (cmake/windows.cmake).
if(NOT CMAKE_CROSSCOMPILING)
  add_executable(glimmer_icon tools/make_icon.cpp)
  target_link_libraries(glimmer_icon PRIVATE glimmer_app glimmer_headless)
endif()

# What a Linux desktop needs to list the program: a launcher entry and an icon
# cut from the globe picture (the globe inside its outline, on a 256 x 256
# transparent square).
if(NOT WIN32)
  include(GNUInstallDirs)
  install(FILES data/glimmerdome.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  set(GLIMMERDOME_ICON ${CMAKE_BINARY_DIR}/icons/glimmerdome.png)
  add_custom_command(
    OUTPUT ${GLIMMERDOME_ICON}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons
    COMMAND glimmer_icon ${GLIMMERDOME_ICON}
    DEPENDS glimmer_icon
    COMMENT "Drawing the program's icon from the globe picture")
  add_custom_target(glimmerdome_icon ALL DEPENDS ${GLIMMERDOME_ICON})
  install(FILES ${GLIMMERDOME_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
endif()

# pngdecode: decode any PNG with Glimmerdome's codec and write RGBA as PAM.
if(EXISTS ${PROJECT_SOURCE_DIR}/tools/pngdecode.cpp)
  add_executable(pngdecode tools/pngdecode.cpp)
  target_link_libraries(pngdecode PRIVATE glimmer_images)
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
  target_link_libraries(glimmer_tests PRIVATE glimmer_app glimmer_cli glimmer_headless GTest::gtest GTest::gtest_main)
  if(WIN32)
    target_link_libraries(glimmer_tests PRIVATE glimmer_win32)
  endif()
  if(NOT CMAKE_CROSSCOMPILING)
    target_link_libraries(glimmer_tests PRIVATE PNG::PNG)
  endif()
  target_compile_definitions(glimmer_tests PRIVATE
    GLIMMERDOME_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    GLIMMERDOME_PNGSUITE_DIR="${GLIMMERDOME_PNGSUITE_DIR}")
  if(TARGET glimmerdome_pot AND NOT CMAKE_CROSSCOMPILING)
    # The texts to translate, collected afresh: the catalogue test compares.
    add_dependencies(glimmer_tests glimmerdome_pot)
    target_compile_definitions(glimmer_tests PRIVATE GLIMMERDOME_POT="${GLIMMERDOME_POT}")
  endif()
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

  # The GTK backend's own tests need a display; without one they are skipped
  # (scripts/stages/40-gtk.sh runs them under Xvfb).
  if(GLIMMERDOME_HAVE_GTK)
    file(GLOB GTK_TEST_SOURCES CONFIGURE_DEPENDS tests/gtk/*.cpp)
    add_executable(glimmer_gtk_tests ${GTK_TEST_SOURCES})
    target_link_libraries(glimmer_gtk_tests PRIVATE glimmer_gtk glimmer_settings GTest::gtest GTest::gtest_main)
    gtest_discover_tests(glimmer_gtk_tests DISCOVERY_TIMEOUT 60)
  endif()

  # A pointer plugged into a headless sway session or KWin's virtual session
  # (scripts/stages/47-wayland.sh, 48-kwin.sh).
  if(GLIMMERDOME_HAVE_GTK AND LAYER_SHELL_FOUND)
    add_executable(glimmer_virtual_pointer tests/wayland/virtual_pointer.cpp)
    target_link_libraries(glimmer_virtual_pointer PRIVATE PkgConfig::LAYER_SHELL)
  endif()

  # The soak run: a million frames with every counter checked (scripts/stages/30-soak.sh).
  add_executable(glimmer_soak tests/soak/soak_main.cpp)
  target_link_libraries(glimmer_soak PRIVATE glimmer_app glimmer_headless)
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
    target_link_libraries(${target} PRIVATE glimmer_app)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  endforeach()
  find_package(PNG REQUIRED)
  add_executable(fuzz_make_seeds fuzz/make_seeds.cpp tests/png_test_support.cpp)
  target_include_directories(fuzz_make_seeds PRIVATE tests)
  target_link_libraries(fuzz_make_seeds PRIVATE glimmer_images PNG::PNG)
endif()

# Benchmarks (Google Benchmark). Only built on request.
# decode_bench: the PNG codec's speed next to libpng (and libspng if present).
if(GLIMMERDOME_BENCH)
  find_package(benchmark REQUIRED)
  find_package(PNG REQUIRED)
  set(GLIMMERDOME_PNGSUITE_DIR "${PROJECT_SOURCE_DIR}/../shared/testdata/pngsuite"
      CACHE PATH "Folder of the PngSuite images")
  add_executable(decode_bench bench/decode_bench.cpp tests/png_test_support.cpp)
  target_include_directories(decode_bench PRIVATE tests)
  target_link_libraries(decode_bench PRIVATE glimmer_images PNG::PNG benchmark::benchmark)
  target_compile_definitions(decode_bench PRIVATE GLIMMERDOME_PNGSUITE_DIR="${GLIMMERDOME_PNGSUITE_DIR}")
  find_path(SPNG_INCLUDE_DIR spng.h)
  find_library(SPNG_LIBRARY spng)
  if(SPNG_INCLUDE_DIR AND SPNG_LIBRARY)
    target_include_directories(decode_bench PRIVATE ${SPNG_INCLUDE_DIR})
    target_link_libraries(decode_bench PRIVATE ${SPNG_LIBRARY})
    target_compile_definitions(decode_bench PRIVATE GLIMMERDOME_HAVE_SPNG=1)
  endif()
  # frame_bench: one composed frame against a plain copy and the old arrangement,
  # on the headless backend.
  add_executable(frame_bench bench/frame_bench.cpp)
  target_link_libraries(frame_bench PRIVATE glimmer_app glimmer_headless benchmark::benchmark)
endif()

# The globe's own page: made, installed and carried by the program.
include(cmake/page.cmake)
