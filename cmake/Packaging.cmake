# The Debian package (scripts/package.sh makes it): everything `cmake --install` puts in place, below /usr.
# Depends names the run-time packages only: the Firebird client, the embedded engine (which also loads the
# UDR module) and gbak, the Qt 6 libraries and the SVG plugin of the icon, ICU, fmt and a Japanese font. The
# UDR module needs no maintainer scripts: Firebird loads udr modules from its folder by name.

set(QZ_PACKAGE_MAINTAINER "QZCONVERT maintainers <maintainers@qzconvert.invalid>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qzconvert)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_CONTACT "${QZ_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QZ_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converts QuorvelMendalIII extracts into Quorvel accounting data sets")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"The wizard qzconvert and the command-line converter qzconvert-cli read a
client's extract of the source accounting product (an ini manifest and
Shift-JIS CSV files) and write a data set of the target accounting product
into its Firebird installation: basic information, accounts, sub-accounts,
departments, branches, opening balances and three fiscal years of journals,
then reconcile the new data set with the extract. qzconvert2 and
qzconvert2-cli are the revised edition.
.
QuorvelMendalⅢの関与先抽出データからQuorvel財務のデータを
作成します。ウィザード qzconvert とコマンドラインの
qzconvert-cli は、基本情報、科目、補助科目、部門、支店、
期首残高と三年度分の仕訳を変換し、変換したデータを
抽出データと突合します。")

set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libc6, libstdc++6, libgcc-s1, libfbclient2, firebird3.0-server-core, firebird3.0-utils, \
libqt6core6, libqt6gui6, libqt6widgets6, libqt6printsupport6, libqt6svg6, libicu72, libfmt9, \
fonts-ipafont | fonts-noto-cjk")

include(CPack)

# The package's copyright and changelog (Debian's doc folder for the package, also for `cmake --install`).
set(CPACK_DEBIAN_PACKAGE_VERSION ${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog.Debian @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/debian/changelog.Debian
  DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.Debian
  VERBATIM)
add_custom_target(qz_package_docs ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/qzconvert)

# The package unpacked into a temporary root and run from there: its file list, --version, target-init and
# the conversion of a sample. Its own label, so that `ctest -L package` runs it alone.
if(QZ_BUILD_TESTS)
  add_test(NAME package COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-package.sh --build ${CMAKE_BINARY_DIR})
  set_tests_properties(package PROPERTIES LABELS package)
endif()
