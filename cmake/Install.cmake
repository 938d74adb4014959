# What `cmake --install` puts where (GNUInstallDirs, included at the top), and the Debian package CPack makes
# of it. The one project version is brindle's and tarnwick's --version and the package's version.

install(TARGETS brindle tarnwick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The network module, opened by the programs on first use from their private library folder.
install(TARGETS tarnwick-net LIBRARY DESTINATION ${TW_MODULE_INSTALL_DIR}
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

set(reference ${TW_REFERENCE_DIR})
install(FILES ${reference}/brindle.1.gz ${reference}/tarnwick.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${reference}/tarnwick-language.7.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man7)
install(DIRECTORY ${reference}/html/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/reference)
install(FILES ${reference}/reference.json ${reference}/TWS.ACP DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnwick)
# The editors' syntax files, where each editor family looks for them.
install(FILES ${reference}/syntax/vim/syntax/tarnwick.vim DESTINATION ${CMAKE_INSTALL_DATADIR}/vim/vimfiles/syntax)
install(FILES ${reference}/syntax/vim/ftdetect/tarnwick.vim DESTINATION ${CMAKE_INSTALL_DATADIR}/vim/vimfiles/ftdetect)
install(FILES ${reference}/syntax/tarnwick.lang DESTINATION ${CMAKE_INSTALL_DATADIR}/gtksourceview-4/language-specs)
install(FILES ${reference}/syntax/tarnwick.lang DESTINATION ${CMAKE_INSTALL_DATADIR}/gtksourceview-3.0/language-specs)
install(FILES ${reference}/syntax/tarnwick.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/org.kde.syntax-highlighting/syntax)
install(FILES ${reference}/syntax/tarnwick.tmLanguage.json DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnwick/syntax)

# The user documentation, the guide that tarnwick's Help > Content opens, and the examples.
file(GLOB user_docs ${PROJECT_SOURCE_DIR}/docs/*.md)
list(FILTER user_docs EXCLUDE REGEX "/testing\\.md$")
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${user_docs} DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${reference}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The tarnwick developers <developers@tarnwick.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop automation with scripts in a small BASIC dialect")
# Debian's policy keeps the description's lines under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION "Scripts type keys into windows, click the mouse, wait for windows and
terminal text, use the clipboard, read and write files, settings and
databases, talk to other programs over the session bus and transfer files
and mail. brindle runs one script, in a terminal or with windows; tarnwick
keeps a catalogue of scripts. Comes with the language reference, manual
pages and syntax files for Vim, GtkSourceView, KSyntaxHighlighting and
TextMate editors.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Programs the scripts' commands start: documents and folders open through xdg-open, terminal text is read
# through tmux, media play through GStreamer's plugins, the SQLite database driver for dbopen.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, tmux, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, libsqliteodbc")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "odbc-postgresql, default-mta | mail-transport-agent")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build" "/\\.git/")
include(CPack)
