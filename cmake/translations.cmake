# The message catalogues. Every po/LANGUAGE.po is checked and compiled by
# msgfmt (a translation whose placeholders or header are wrong stops the
# build), and the .mo files become C++ data (cmake/embed_catalogues.cmake):
# EMBEDDED_CATALOGUES names the generated source for glimmer_core.
#
# GLIMMERDOME_POT: the template collected afresh from the sources by
# xgettext, which the catalogue test compares every catalogue with.
find_program(MSGFMT_EXECUTABLE msgfmt REQUIRED)
find_program(XGETTEXT_EXECUTABLE xgettext)

file(GLOB PO_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/po/*.po)
set(MO_DIR ${CMAKE_BINARY_DIR}/po)
set(MO_FILES "")
foreach(po IN LISTS PO_FILES)
  get_filename_component(language ${po} NAME_WE)
  set(mo ${MO_DIR}/${language}.mo)
  add_custom_command(
    OUTPUT ${mo}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MO_DIR}
    COMMAND ${MSGFMT_EXECUTABLE} --check -o ${mo} ${po}
    DEPENDS ${po}
    COMMENT "Compiling the ${language} catalogue")
  list(APPEND MO_FILES ${mo})
endforeach()

set(EMBEDDED_CATALOGUES ${CMAKE_BINARY_DIR}/generated/embedded_catalogues.cpp)
string(REPLACE ";" "|" mo_list "${MO_FILES}")  # one argument for the script
add_custom_command(
  OUTPUT ${EMBEDDED_CATALOGUES}
  COMMAND ${CMAKE_COMMAND} "-DMO_FILES=${mo_list}" -DOUTPUT=${EMBEDDED_CATALOGUES}
          -P ${PROJECT_SOURCE_DIR}/cmake/embed_catalogues.cmake
  DEPENDS ${MO_FILES} ${PROJECT_SOURCE_DIR}/cmake/embed_catalogues.cmake
  COMMENT "Embedding the message catalogues"
  VERBATIM)

# The texts the sources mark for translation (see src/i18n/translation.h),
# the program's and its own page's (tools/page).
set(XGETTEXT_OPTIONS --language=C++ --from-code=UTF-8 --add-comments=TRANSLATORS: --keyword=Tr
    --keyword=TrFormat:1 --keyword=N_ --keyword=NP_:1,2 --flag=TrFormat:1:c-format --package-name=Glimmerdome --sort-by-file --add-location=file)
set(GLIMMERDOME_POT ${CMAKE_BINARY_DIR}/po/glimmerdome.pot)
if(XGETTEXT_EXECUTABLE)
  file(GLOB_RECURSE TRANSLATED_SOURCES CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
       ${PROJECT_SOURCE_DIR}/src/*.cpp ${PROJECT_SOURCE_DIR}/src/*.h
       ${PROJECT_SOURCE_DIR}/tools/page/*.cpp ${PROJECT_SOURCE_DIR}/tools/page/*.h)
  list(SORT TRANSLATED_SOURCES)
  add_custom_command(
    OUTPUT ${GLIMMERDOME_POT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MO_DIR}
    COMMAND ${XGETTEXT_EXECUTABLE} ${XGETTEXT_OPTIONS} -o ${GLIMMERDOME_POT} ${TRANSLATED_SOURCES}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    DEPENDS ${TRANSLATED_SOURCES}
    COMMENT "Collecting the texts to translate")
  add_custom_target(glimmerdome_pot DEPENDS ${GLIMMERDOME_POT})
endif()
