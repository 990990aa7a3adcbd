# The globe's own page, which the first menu item opens: made at build time
# by glimmer_page (tools/page) from the project's own files, the pictures
# drawn by the program's own code, headlessly. It is installed with the
# program (Linux: share/glimmerdome/page; Windows: the folder page beside the
# .exe, by the installer and the zip) and carried inside the program too, so
# that a program with no page beside it writes its copy to the user's cache
# (cmake/embed_page.cmake, platform/shared/page_files.h).
#
# A cross build cannot run what it builds: it takes glimmer_page from a build
# for the build machine, as the icon (cmake/windows.cmake): either
# -DGLIMMERDOME_PAGE_TOOL=path, or the one beside GLIMMERDOME_ICON_TOOL, or the
# one the host tools' build makes.
# Included from targets.cmake after the program and the Windows parts.

set(GLIMMERDOME_PAGE_DIR ${CMAKE_BINARY_DIR}/generated/page)
if(NOT CMAKE_CROSSCOMPILING)
  add_executable(glimmer_page tools/page/make_page.cpp)
  target_include_directories(glimmer_page PRIVATE ${PROJECT_SOURCE_DIR}/tools/page)
  target_link_libraries(glimmer_page PRIVATE glimmer_app glimmer_headless)
  target_compile_definitions(glimmer_page PRIVATE GLIMMERDOME_VERSION="${PROJECT_VERSION}")
  set(page_tool $<TARGET_FILE:glimmer_page>)
  set(page_tool_depends glimmer_page)
else()
  set(GLIMMERDOME_PAGE_TOOL "" CACHE FILEPATH "glimmer_page built for the build machine; empty: beside the icon tool")
  if(NOT GLIMMERDOME_PAGE_TOOL AND GLIMMERDOME_ICON_TOOL)
    get_filename_component(icon_tool_dir ${GLIMMERDOME_ICON_TOOL} DIRECTORY)
    set(GLIMMERDOME_PAGE_TOOL ${icon_tool_dir}/glimmer_page)
  endif()
  if(GLIMMERDOME_PAGE_TOOL)
    if(NOT EXISTS ${GLIMMERDOME_PAGE_TOOL})
      message(FATAL_ERROR "${GLIMMERDOME_PAGE_TOOL} is missing: build the target glimmer_page of the build "
                          "machine's build first, or give -DGLIMMERDOME_PAGE_TOOL")
    endif()
    set(page_tool ${GLIMMERDOME_PAGE_TOOL})
    set(page_tool_depends ${GLIMMERDOME_PAGE_TOOL})
  else()
    set(page_tool ${host_dir}/glimmer_page)
    set(page_tool_depends host_tools)
  endif()
endif()

set(page_files ${GLIMMERDOME_PAGE_DIR}/index.html ${GLIMMERDOME_PAGE_DIR}/globe-day.png
    ${GLIMMERDOME_PAGE_DIR}/globe-night.png ${GLIMMERDOME_PAGE_DIR}/page.css ${GLIMMERDOME_PAGE_DIR}/countdown.js)
foreach(po IN LISTS PO_FILES)
  get_filename_component(language ${po} NAME_WE)
  list(APPEND page_files ${GLIMMERDOME_PAGE_DIR}/index.${language}.html)
endforeach()
add_custom_command(
  OUTPUT ${page_files}
  COMMAND ${page_tool} ${PROJECT_SOURCE_DIR} ${GLIMMERDOME_PAGE_DIR}
  DEPENDS ${page_tool_depends} ${PROJECT_SOURCE_DIR}/tools/page/page.css ${PROJECT_SOURCE_DIR}/tools/page/countdown.js
          ${PROJECT_SOURCE_DIR}/LICENSE ${PO_FILES}
  COMMENT "Making the globe's own page")

set(EMBEDDED_PAGE ${CMAKE_BINARY_DIR}/generated/embedded_page.cpp)
string(REPLACE ";" "|" page_list "${page_files}")
add_custom_command(
  OUTPUT ${EMBEDDED_PAGE}
  COMMAND ${CMAKE_COMMAND} "-DFILES=${page_list}" -DOUTPUT=${EMBEDDED_PAGE} -P ${PROJECT_SOURCE_DIR}/cmake/embed_page.cmake
  DEPENDS ${page_files} ${PROJECT_SOURCE_DIR}/cmake/embed_page.cmake
  COMMENT "Embedding the globe's own page"
  VERBATIM)
# One target makes the page and its data (two targets sharing the commands
# could run them at once); the programs that show the page take its object.
add_library(glimmer_page_files OBJECT ${EMBEDDED_PAGE})
target_link_libraries(glimmer_page_files PRIVATE glimmer_backend_shared)
function(glimmer_carry_page target)
  target_sources(${target} PRIVATE $<TARGET_OBJECTS:glimmer_page_files>)
  target_link_libraries(${target} PRIVATE glimmer_backend_shared)
endfunction()
glimmer_carry_page(glimmerdome)
if(TARGET glimmer_gtk_tests)
  glimmer_carry_page(glimmer_gtk_tests)
endif()
if(WIN32 AND TARGET glimmer_tests)
  glimmer_carry_page(glimmer_tests)
endif()

if(NOT WIN32)
  include(GNUInstallDirs)
  install(DIRECTORY ${GLIMMERDOME_PAGE_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/glimmerdome/page)
endif()
