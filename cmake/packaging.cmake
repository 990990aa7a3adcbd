# How Glimmerdome is installed on a Linux desktop beyond the program itself
# (icons at every size of the icon theme, a manual page, AppStream metadata,
# the copyright file and the changelog), and the Debian package made from
# that install by CPack: cpack -G DEB in a Linux build directory. The Windows
# installer and zip are made by scripts/package.sh with NSIS and zip.
# Included from the top-level CMakeLists.txt after the targets.

# Glimmerdome has no web site: its page is installed with it
# (cmake/page.cmake), so the metadata name no homepage. The maintainer
# address is in the .invalid domain, kept for names that can never be
# reached: the package has no mailbox behind it.
set(GLIMMERDOME_PAGE_INSTALLED /usr/share/glimmerdome/page/index.html)
set(GLIMMERDOME_APPSTREAM_ID "org.example.glimmerdome")
set(GLIMMERDOME_MAINTAINER "Glimmerdome developers <glimmerdome@packages.invalid>")

# The changelog names the release; it must be this version, and its date is
# the release date of the AppStream metadata.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog changelog_lines)
list(GET changelog_lines 0 changelog_head)
if(NOT changelog_head MATCHES "^glimmerdome \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog starts with '${changelog_head}', "
                      "not with the project's version ${PROJECT_VERSION}")
endif()
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(day ${CMAKE_MATCH_1})
    set(year ${CMAKE_MATCH_3})
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(FIND months ${CMAKE_MATCH_2} month)
    math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
    if(month LESS 10)
      set(month "0${month}")
    endif()
    set(GLIMMERDOME_RELEASE_DATE "${year}-${month}-${day}")
    break()
  endif()
endforeach()
if(NOT GLIMMERDOME_RELEASE_DATE)
  message(FATAL_ERROR "packaging/debian/changelog has no trailer line with a date")
endif()

if(WIN32)
  return()
endif()

include(GNUInstallDirs)
set(package_dir ${CMAKE_BINARY_DIR}/packaging)
find_program(GZIP_PROGRAM gzip REQUIRED)

# The icon theme's sizes below 256 (targets.cmake installs the 256 x 256 one).
set(theme_dir ${package_dir}/icons)
set(theme_icons "")
foreach(size 16 24 32 48 64 128)
  foreach(scale "" "@2")
    list(APPEND theme_icons ${theme_dir}/${size}x${size}${scale}/apps/glimmerdome.png)
  endforeach()
endforeach()
add_custom_command(
  OUTPUT ${theme_icons}
  COMMAND glimmer_icon --theme ${theme_dir}
  DEPENDS glimmer_icon
  COMMENT "Drawing the program's icon at the icon theme's sizes")
add_custom_target(glimmerdome_theme_icons ALL DEPENDS ${theme_icons})
install(DIRECTORY ${theme_dir}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# The manual page and the changelog, compressed as Debian keeps them (-n: no
# name or time stamp, so that the same sources give the same bytes).
set(VERSION ${PROJECT_VERSION})
configure_file(data/glimmerdome.1 ${package_dir}/glimmerdome.1 @ONLY)
add_custom_command(
  OUTPUT ${package_dir}/glimmerdome.1.gz ${package_dir}/changelog.gz
  COMMAND ${GZIP_PROGRAM} -9nf ${package_dir}/glimmerdome.1
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/debian/changelog ${package_dir}/changelog
  COMMAND ${GZIP_PROGRAM} -9nf ${package_dir}/changelog
  DEPENDS ${package_dir}/glimmerdome.1 ${PROJECT_SOURCE_DIR}/packaging/debian/changelog
  COMMENT "Compressing the manual page and the changelog")
add_custom_target(glimmerdome_docs ALL DEPENDS ${package_dir}/glimmerdome.1.gz ${package_dir}/changelog.gz)
install(FILES ${package_dir}/glimmerdome.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${package_dir}/changelog.gz packaging/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/glimmerdome)

configure_file(data/glimmerdome.metainfo.xml.in ${package_dir}/${GLIMMERDOME_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${package_dir}/${GLIMMERDOME_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# A screenshot for the release's announcement, rendered by the program: the
# globe at night five days before Christmas, with the moon up and snow falling.
set(GLIMMERDOME_SCREENSHOT ${package_dir}/glimmerdome-${PROJECT_VERSION}.png)
add_custom_command(
  OUTPUT ${GLIMMERDOME_SCREENSHOT}
  COMMAND glimmerdome --headless --choose pmiQuickly --at 2026-12-20T22:00 --frames 2200
          --snapshot ${GLIMMERDOME_SCREENSHOT}
  DEPENDS glimmerdome
  COMMENT "Rendering the screenshot")
add_custom_target(glimmerdome_screenshot DEPENDS ${GLIMMERDOME_SCREENSHOT})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glimmerdome)
set(CPACK_PACKAGE_VENDOR "The Glimmerdome developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${GLIMMERDOME_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${GLIMMERDOME_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "snow globe for the desktop with a Christmas countdown")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Glimmerdome puts a small snow globe on the desktop, in a borderless,
partly transparent window with a winter scene inside the glass. The sky
runs from night through dawn to day and back, the sun rises and sets, the
moon crosses the sky in seven phases and three layers of snow fall.

A golden plaque counts the days to Christmas, New Year or Julian
Christmas. The globe is moved by dragging it; its menu sets the speed of
the animation, the countdown, the snow, the transparency, staying on top
and starting at login. A headless mode renders frames to image files.
Its own page, ${GLIMMERDOME_PAGE_INSTALLED}, tells the rest.")
include(CPack)
