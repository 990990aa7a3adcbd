# The Windows program: the Win32 backend, glimmerdome.exe with its icon,
# version information and manifest, and the unit tests built for Windows.
# Included from targets.cmake when the target system is Windows.

glimmer_folder_library(glimmer_win32 platform/win32
  LINKS glimmer_seam glimmer_backend_shared glimmer_i18n user32 gdi32 advapi32 shell32)
# The wide-character API, as of Windows 7.
target_compile_definitions(glimmer_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

target_link_libraries(glimmerdome PRIVATE glimmer_win32)
set_target_properties(glimmerdome PROPERTIES WIN32_EXECUTABLE ON)

# The icon is drawn from the globe pictures at build time by glimmer_icon (and
# the globe's own page made by glimmer_page, cmake/page.cmake), a
# tool of this project that runs on the build machine: either one already
# built (-DGLIMMERDOME_ICON_TOOL=path) or one built here with the build
# machine's own compiler.
set(GLIMMERDOME_ICON_TOOL "" CACHE FILEPATH "glimmer_icon built for the build machine; empty builds one")
set(GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(ICON_FILE ${GENERATED_DIR}/glimmerdome.ico)
if(GLIMMERDOME_ICON_TOOL)
  set(icon_tool ${GLIMMERDOME_ICON_TOOL})
  set(icon_tool_target "")
else()
  include(ExternalProject)
  set(host_dir ${CMAKE_BINARY_DIR}/host-tools)
  ExternalProject_Add(host_tools
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${host_dir}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE= -DCMAKE_BUILD_TYPE=Release
               -DGLIMMERDOME_TESTS=OFF -DGLIMMERDOME_GTK=OFF -DGLIMMERDOME_BENCH=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${host_dir} --target glimmer_icon glimmer_page
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${host_dir}/glimmer_icon ${host_dir}/glimmer_page
    INSTALL_COMMAND "")
  set(icon_tool ${host_dir}/glimmer_icon)
  set(icon_tool_target host_tools)
endif()
add_custom_command(
  OUTPUT ${ICON_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${GENERATED_DIR}
  COMMAND ${icon_tool} ${ICON_FILE}
  DEPENDS ${icon_tool} ${icon_tool_target}
  COMMENT "Drawing the program's icon from the globe pictures")
add_custom_target(glimmerdome_ico DEPENDS ${ICON_FILE})
add_dependencies(glimmerdome glimmerdome_ico)

# Resources: the icon, the version information and the manifest.
configure_file(src/platform/win32/glimmerdome.manifest.in ${GENERATED_DIR}/glimmerdome.manifest @ONLY)
configure_file(src/platform/win32/glimmerdome.rc.in ${GENERATED_DIR}/glimmerdome.rc @ONLY)
target_sources(glimmerdome PRIVATE ${GENERATED_DIR}/glimmerdome.rc)
set_source_files_properties(${GENERATED_DIR}/glimmerdome.rc PROPERTIES
  OBJECT_DEPENDS "${ICON_FILE};${GENERATED_DIR}/glimmerdome.manifest")
