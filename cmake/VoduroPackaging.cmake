# Installation in the standard places and the Debian package.
include(GNUInstallDirs)

set(VODURO_APP_ID "org.voduro.Voduro" CACHE STRING
    "Identifier of the desktop entry and the AppStream metainfo")
set(VODURO_PACKAGE_MAINTAINER "Voduro maintainers <maintainers@localhost>" CACHE STRING
    "Maintainer named in the Debian package")

install(TARGETS voduro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${voduro_qm_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/voduro/translations)
install(FILES resources/voduro.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
install(FILES resources/voduro.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/voduro.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/voduro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
    RENAME ${VODURO_APP_ID}.desktop)
configure_file(packaging/voduro.metainfo.xml.in
    ${CMAKE_BINARY_DIR}/packaging/${VODURO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${VODURO_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/voduro)

# The unit names the program by its installed path, which is known only when installing: the
# package installs into /usr whatever prefix the build was configured with.
set(unit_template ${PROJECT_SOURCE_DIR}/packaging/voduro.service.in)
set(unit_file ${CMAKE_BINARY_DIR}/packaging/voduro.service)
install(CODE "
    set(CMAKE_INSTALL_FULL_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    set(CMAKE_INSTALL_FULL_DOCDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/doc/voduro\")
    configure_file(\"${unit_template}\" \"${unit_file}\" @ONLY)
")
install(FILES ${unit_file} DESTINATION lib/systemd/system)
# The rule for the service's logs names its user and its directory, which only the package
# creates: a plain `cmake --install` leaves it out.
install(FILES packaging/voduro.logrotate DESTINATION /etc/logrotate.d RENAME voduro
    COMPONENT service EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
# One package of everything, the service's own files included.
set(CPACK_COMPONENTS_ALL Unspecified service)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_PACKAGE_NAME voduro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "communications monitor for an alarm-monitoring centre")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Receives alarm messages from panels over two serial radio lines and an IP network server,
acknowledges and decodes them (Contact ID, Fast Format, SIA), and delivers them with
acknowledgement, retries and a backup address to the centre's automation software.
Runs with its operator windows on a desktop, or headless as the systemd service voduro.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VODURO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The shared-library dependencies come from dpkg-shlibdeps; the windows also need a Qt platform
# plugin, which is loaded at run time and so escapes it. The headless service needs none. Qt's own
# texts (the Yes and No of a question) come in the operator's language from Qt's translations.
# logrotate rotates the service's logs by the rule in /etc/logrotate.d.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, qt6-translations-l10n, logrotate")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/debian/conffiles
    ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
    ${PROJECT_SOURCE_DIR}/packaging/debian/prerm
    ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
