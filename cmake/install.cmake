# Installation: the library with its headers, a CMake package and a pkg-config file,
# the vemo command, the Python module and the sample catalogue.
include(CMakePackageConfigHelpers)

install(TARGETS vemosupport EXPORT vemosupportTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# The public headers alone; everything under src/ stays private.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/vemosupport/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vemosupport
        FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_BINARY_DIR}/include/vemosupport/version.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vemosupport)
install(EXPORT vemosupportTargets NAMESPACE vemosupport::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/vemosupport)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/vemosupportConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/vemosupportConfig.cmake
                              INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/vemosupport)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/vemosupportConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/vemosupportConfig.cmake ${PROJECT_BINARY_DIR}/vemosupportConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/vemosupport)
configure_file(${PROJECT_SOURCE_DIR}/cmake/vemosupport.pc.in ${PROJECT_BINARY_DIR}/vemosupport.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vemosupport.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# Installed programs find the installed library relative to themselves, so a copy
# installed under any prefix works.
file(RELATIVE_PATH bin_to_lib "/${CMAKE_INSTALL_BINDIR}" "/${CMAKE_INSTALL_LIBDIR}")
set_target_properties(vemo PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
install(TARGETS vemo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(VEMO_BUILD_PYTHON)
  # Where this interpreter looks for modules of a prefix, relative to the prefix.
  execute_process(
    COMMAND ${Python_EXECUTABLE} -c
            "import sysconfig; print(sysconfig.get_path('platlib', vars={'base': '', 'platbase': ''}).lstrip('/'))"
    OUTPUT_VARIABLE VEMO_PYTHON_RELATIVE_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(VEMO_PYTHON_INSTALL_DIR "${VEMO_PYTHON_RELATIVE_DIR}" CACHE STRING "Python module folder, relative to the prefix")
  file(RELATIVE_PATH module_to_lib "/${VEMO_PYTHON_INSTALL_DIR}" "/${CMAKE_INSTALL_LIBDIR}")
  set_target_properties(vemosupport_python PROPERTIES INSTALL_RPATH "$ORIGIN/${module_to_lib}")
  install(TARGETS vemosupport_python LIBRARY DESTINATION ${VEMO_PYTHON_INSTALL_DIR})
endif()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/catalog/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vemosupport/catalog)
