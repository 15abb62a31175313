# The Debian package of the X11 saver: its extra install rules and the CPack DEB settings.
include(GNUInstallDirs)

set(MARVOLET_MAINTAINER "Marvolet maintainers <maintainers@users.noreply.c-seed-dd05abfc.example>"
    CACHE STRING "Maintainer named in the package and its changelog")

set(marvolet_package_dir ${PROJECT_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${marvolet_package_dir})

# Relative, so the command still finds the hack when the tree is installed under another root.
file(RELATIVE_PATH marvolet_link_target /root/${CMAKE_INSTALL_BINDIR}
     /root/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver/marvolet)
file(CREATE_LINK ${marvolet_link_target} ${marvolet_package_dir}/marvolet SYMBOLIC)
install(FILES ${marvolet_package_dir}/marvolet DESTINATION ${CMAKE_INSTALL_BINDIR})

configure_file(${PROJECT_SOURCE_DIR}/resources/debian/changelog.in
               ${marvolet_package_dir}/changelog @ONLY)

# Debian wants manual pages and changelogs compressed with no name or time stamp inside, so
# that the same sources give the same package.
function(marvolet_gzip source target)
  add_custom_command(
    OUTPUT ${target}
    COMMAND sh -c "gzip -9n < '${source}' > '${target}'"
    DEPENDS ${source}
    VERBATIM)
endfunction()
marvolet_gzip(${PROJECT_SOURCE_DIR}/resources/marvolet.6 ${marvolet_package_dir}/marvolet.6.gz)
marvolet_gzip(${marvolet_package_dir}/changelog ${marvolet_package_dir}/changelog.gz)
add_custom_target(marvolet_package_files ALL
                  DEPENDS ${marvolet_package_dir}/marvolet.6.gz ${marvolet_package_dir}/changelog.gz)

install(FILES ${marvolet_package_dir}/marvolet.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright
              ${marvolet_package_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME marvolet)
set(CPACK_PACKAGE_VENDOR "The Marvolet authors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${MARVOLET_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "OpenGL screen saver of verse scrolling on rings over a sphere")
# Debian wraps nothing: each line of the long description stays under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "On black, a passage of verse scrolls along sixty rings laid over the near\n\
side of a sphere; two logo images cross-fade over it, a title line sits at the\n\
bottom, stars fly towards the viewer and an optional glow streaks each frame\n\
outwards from its centre.\n\
.\n\
The package holds the saver as an xscreensaver hack with its settings page,\n\
and as the standalone marvolet command (in a window, full screen or inside a\n\
given window).")
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${marvolet_package_dir})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Prints the command that adds the hack to a user's xscreensaver list; it edits nothing.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/resources/debian/postinst)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
