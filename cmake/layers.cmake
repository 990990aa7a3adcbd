# One library per folder of src/, each linking only the folders it may use:
#   base <- images, calendar <- scene
#   base, calendar, the seam <- settings
#   base, calendar <- the seam (platform/platform.h and its neighbours)
#   the seam, base, calendar, images <- a backend (platform/<name>/)
#   every core folder and the seam <- app
#   app, cli and the backends <- main.cpp
# Nothing includes through src/ itself: every library gets an include root in
# the build tree that holds a link to its own folder only, so a header of a
# folder it does not link is simply not there, and an include against the
# direction fails to build.

set(GLIMMER_INCLUDE_ROOTS ${CMAKE_BINARY_DIR}/include)

# glimmer_folder_library(TARGET FOLDER [LINKS targets...] [SOURCES extra...])
# FOLDER is relative to src/ ("scene", "platform/gtk"). A folder of headers
# only makes an interface library.
function(glimmer_folder_library target folder)
  cmake_parse_arguments(arg "" "" "LINKS;SOURCES" ${ARGN})
  set(root ${GLIMMER_INCLUDE_ROOTS}/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
  glimmer_add_layer(${target} ${root} "${sources};${arg_SOURCES}" "${arg_LINKS}")
endfunction()

# glimmer_files_library(TARGET FOLDER [LINKS targets...]): the files directly
# in FOLDER, without its subfolders (the seam: platform/*.h, not the backends).
function(glimmer_files_library target folder)
  cmake_parse_arguments(arg "" "" "LINKS" ${ARGN})
  set(root ${GLIMMER_INCLUDE_ROOTS}/${target})
  file(MAKE_DIRECTORY ${root}/${folder})
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.h)
  foreach(header IN LISTS headers)
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${header} ${root}/${folder}/${name} SYMBOLIC)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
  glimmer_add_layer(${target} ${root} "${sources}" "${arg_LINKS}")
endfunction()

function(glimmer_add_layer target root sources links)
  list(FILTER sources EXCLUDE REGEX "^$")
  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${root})
    target_link_libraries(${target} PUBLIC ${links})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${root})
    target_link_libraries(${target} INTERFACE ${links})
  endif()
endfunction()
