# What `cmake --install` puts where. The Debian package (scripts/package.sh)
# is this tree, installed with DESTDIR under the prefix /usr.
#
# The helper, velmora-cli-data and the modules go to <prefix>/lib/velmora,
# not to CMAKE_INSTALL_LIBDIR (lib/<multiarch triplet> under /usr on Debian):
# they are the program's private parts, which no other program links or
# starts, and Debian keeps such parts in /usr/lib/<package>. The programs
# find them at the one absolute folder the build writes into them
# (velmora_install_layout.h), which must not depend on the build host's
# triplet.
include(GNUInstallDirs)
set(VELMORA_INSTALL_PKGLIBDIR lib/velmora)
set(VELMORA_INSTALL_PKGDATADIR ${CMAKE_INSTALL_DATADIR}/velmora)
set(VELMORA_DESKTOP_ID org.velmora.Velmora)
set(velmora_linux_data ${PROJECT_SOURCE_DIR}/data/linux)

install(TARGETS velmora velmora-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS velmora-cli-data vrx_reg RUNTIME DESTINATION ${VELMORA_INSTALL_PKGLIBDIR})
# The modules are loaded, never run: no execute bit, as for any shared object.
install(TARGETS velmora_dict velmora_datamgmt velmora_fetch velmora_ical velmora_dav
  LIBRARY DESTINATION ${VELMORA_INSTALL_PKGLIBDIR}
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${CMAKE_BINARY_DIR}/bin/zenqmodal.fx ${PROJECT_SOURCE_DIR}/data/zenqholiday.txt
  DESTINATION ${VELMORA_INSTALL_PKGDATADIR})

# The launcher, the icon theme's entries and the AppStream component all
# carry the desktop id, which the program also gives Qt as its desktop file
# name, so that the desktop ties its windows to the launcher.
install(FILES ${velmora_linux_data}/${VELMORA_DESKTOP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${velmora_linux_data}/${VELMORA_DESKTOP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${velmora_linux_data}/icons/${VELMORA_DESKTOP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The PNG sizes are rendered once and kept with the sources
# (scripts/render_icons.sh), so that a build needs no SVG renderer.
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${velmora_linux_data}/icons/${size}x${size}/${VELMORA_DESKTOP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The manual pages, compressed as Debian installs them. gzip -n leaves out
# the name and time stamp, so that the same page always gives the same bytes.
set(velmora_man_pages)
foreach(page velmora.1 velmora-cli.1)
  set(compressed ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E copy ${velmora_linux_data}/${page} ${CMAKE_BINARY_DIR}/man/${page}
    COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/man/${page}
    DEPENDS ${velmora_linux_data}/${page}
    VERBATIM)
  list(APPEND velmora_man_pages ${compressed})
endforeach()
add_custom_target(velmora_man_pages ALL DEPENDS ${velmora_man_pages})
install(FILES ${velmora_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
