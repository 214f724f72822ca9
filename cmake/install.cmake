# What an install puts under its prefix, and the Debian package made of the
# same files. Relative destinations, so that `cmake --install --prefix P`
# moves everything, the package files included.
include(CMakePackageConfigHelpers)

install(FILES ${PROJECT_SOURCE_DIR}/include/recodo/recodo.h DESTINATION include/recodo)

if(WIN32)
  # The program, and the import library that lets other programs link
  # against its exports.
  install(TARGETS recodo_program RUNTIME DESTINATION bin ARCHIVE DESTINATION lib)
  install(TARGETS recodo_console RUNTIME DESTINATION bin)
  return()
endif()

install(TARGETS recodo_program RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/docs/recodo.1 DESTINATION share/man/man1)

if(TARGET recodo)
  install(TARGETS recodo EXPORT recodoTargets LIBRARY DESTINATION lib)
  install(EXPORT recodoTargets NAMESPACE recodo:: DESTINATION lib/cmake/recodo)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/recodoConfig.cmake.in
    ${PROJECT_BINARY_DIR}/recodoConfig.cmake INSTALL_DESTINATION lib/cmake/recodo)
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/recodoConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/recodoConfig.cmake ${PROJECT_BINARY_DIR}/recodoConfigVersion.cmake
    DESTINATION lib/cmake/recodo)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/recodo.pc.in ${PROJECT_BINARY_DIR}/recodo.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/recodo.pc DESTINATION lib/pkgconfig)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME recodo)
set(CPACK_PACKAGE_VENDOR "the recodo project")
set(CPACK_PACKAGE_CONTACT "the recodo project <recodo@recodo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converts text files between character sets")
set(CPACK_PACKAGE_DESCRIPTION "recodo converts text files between 49 single-byte character sets, UTF-8, UTF-16 and\
 UTF-16BE with its own tables and codecs. The package holds the recodo command, librecodo with its C header,\
 pkg-config and CMake files, and the manual page.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://recodo.example/)
# The dependencies are those of the files themselves, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
