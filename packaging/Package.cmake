# `make package`: a Debian package installing under /usr. The program finds
# its data in ../share/pourvale and its web engine module in ../lib/pourvale,
# relative to its own folder (see src/data/AppFolders.h).

set(PV_HOMEPAGE "https://pourvale.example" CACHE STRING "The project's web site, named in the package")
set(PV_PKG_DIR ${CMAKE_BINARY_DIR}/packaging)

# Relocations bound at start, read-only after, as Debian hardens its programs.
target_link_options(pourvale PRIVATE -Wl,-z,relro,-z,now)
target_link_options(pourvale_webengine PRIVATE -Wl,-z,relro,-z,now)

install(TARGETS pourvale RUNTIME DESTINATION bin)
install(TARGETS pourvale_webengine LIBRARY DESTINATION lib/pourvale)
# The bundled catalogue, fresh from the seed: the build folder's pv.mdb may
# hold a developer's edits.
install(FILES ${PV_APP_DIR}/pv-bundled.mdb ${PV_APP_DIR}/pourvale.qhc ${PV_APP_DIR}/pourvale.qch DESTINATION share/pourvale)

# The launcher of the per-user install, started through the PATH instead.
file(READ ${CMAKE_CURRENT_LIST_DIR}/org.pourvale.Pourvale.desktop.in desktop)
string(REPLACE "Exec=@APPDIR@/pourvale" "Exec=pourvale" desktop "${desktop}")
string(REPLACE "Path=@APPDIR@\n" "" desktop "${desktop}")
file(WRITE ${PV_PKG_DIR}/org.pourvale.Pourvale.desktop "${desktop}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/org.pourvale.Pourvale.metainfo.xml.in
               ${PV_PKG_DIR}/org.pourvale.Pourvale.metainfo.xml @ONLY)
install(FILES ${PV_PKG_DIR}/org.pourvale.Pourvale.desktop DESTINATION share/applications)
install(FILES ${PV_PKG_DIR}/org.pourvale.Pourvale.metainfo.xml DESTINATION share/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/content/icons/pourvale.svg DESTINATION share/icons/hicolor/scalable/apps
        RENAME org.pourvale.Pourvale.svg)

# Debian wants the manual and the changelog compressed, reproducibly (-n).
foreach(doc pourvale.1 changelog)
  add_custom_command(OUTPUT ${PV_PKG_DIR}/${doc}.gz
    COMMAND gzip -9nc ${CMAKE_CURRENT_LIST_DIR}/${doc} > ${PV_PKG_DIR}/${doc}.gz
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${doc} VERBATIM)
endforeach()
add_custom_target(package_docs ALL DEPENDS ${PV_PKG_DIR}/pourvale.1.gz ${PV_PKG_DIR}/changelog.gz)
install(FILES ${PV_PKG_DIR}/pourvale.1.gz DESTINATION share/man/man1)
install(FILES ${PV_PKG_DIR}/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION share/doc/pourvale)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pourvale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Pourvale maintainers <maintainers@pourvale.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drink recipes for the home bar")
set(CPACK_PACKAGE_DESCRIPTION
    "A catalogue of drink recipes for home bartenders, shown one recipe at a\n"
    "time with a picture of its glass: browse, search, confine to a category,\n"
    "print and edit. Each user edits a catalogue of their own. Around it stand\n"
    "bar jokes, toasts, pick-up lines, drinking games and a reference of\n"
    "glasses, utensils and liquors.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PV_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Plugins the program loads at run time rather than links, which the libraries
# cannot show: the X11 platform and the help index's SQLite driver.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
