# What `cmake --install` puts where, and the Debian package `cpack -G DEB`
# makes of it: the program, its manual page, the example and the docs.
include(GNUInstallDirs)

if(TARGET tova)
  install(TARGETS tova RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES docs/tova.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md CHANGELOG.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES docs/method.md docs/windows.md DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs OPTIONAL)
# The example is data (its expected outputs are compared in the package's
# test), not documentation that a system may leave out.
install(FILES examples/README.md examples/meadow_survey.dat
  DESTINATION ${CMAKE_INSTALL_DATADIR}/tova/examples)
install(DIRECTORY examples/expected/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tova/examples/expected)

set(CPACK_PACKAGE_NAME tova)
set(CPACK_PACKAGE_VENDOR "TOVA developers")
set(CPACK_PACKAGE_CONTACT "TOVA developers <tova@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "${PROJECT_DESCRIPTION}\n tova reads a table of objects by variables of mixed kinds, lists the\n D-correlation matrix of the variables, runs a threshold Jacobi\n eigenanalysis and writes the component loadings (LOADS.TXT) and, on\n request, the Gower dissimilarities of the objects (MATRIX.DIS).")
# The C and C++ libraries the program links, from dpkg-shlibdeps (dpkg-dev;
# CPack also runs `file`) where both are installed, else the versions
# Debian 12 ships.
find_program(TOVA_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(TOVA_FILE_COMMAND file)
if(TOVA_DPKG_SHLIBDEPS AND TOVA_FILE_COMMAND)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
endif()
set(CPACK_GENERATOR DEB)
include(CPack)
