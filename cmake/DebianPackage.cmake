# `./kv package`: the Debian package of what cmake/Install.cmake installs, built by CPack under
# /usr, its dependencies found by dpkg-shlibdeps. The documents Debian asks of every package
# (the copyright file, the changelog compressed) go to /usr/share/doc/kavenlor.
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/kavenlor)
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
kv_gzip(${PROJECT_SOURCE_DIR}/packaging/linux/changelog ${changelog})
add_custom_target(package_changelog ALL DEPENDS ${changelog})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/copyright ${changelog} DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kavenlor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Kavenlor developers <kavenlor@corvanelathi.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "statistics and financial-market add-in with a headless spreadsheet host")
set(CPACK_PACKAGE_DESCRIPTION "kvhost loads the Kavenlor add-in as a spreadsheet program loads it and runs
its worksheet functions (skewness, kurtosis, yield-curve interpolation,
exponentially weighted volatility) and its analysis tools (histogram, spline
against exponential interpolation, principal and independent component
analysis, multiple regression, best decay factor, ARCH-family volatility) on
CSV, .xlsx and .xls data, answering the tools' dialogs from the command line
and saving the result workbooks, charts included, as .xlsx files.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # kavenlor_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_INSTALL_PREFIX}/${KV_INSTALL_ADDINDIR})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
