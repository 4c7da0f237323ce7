# Installation: the library with its headers, a CMake package and a pkg-config file,
# the vemo command with its bash completion and manual page, the Python module and the
# sample catalogue.
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
# pkg-config finds the prefix from the file's own folder, right for any prefix and libdir.
file(RELATIVE_PATH VEMO_PC_TO_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" VEMO_PC_TO_PREFIX "${VEMO_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/vemosupport.pc.in ${PROJECT_BINARY_DIR}/vemosupport.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vemosupport.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# Installed programs find the installed library relative to themselves, so a copy
# installed under any prefix works.
file(RELATIVE_PATH bin_to_lib "/${CMAKE_INSTALL_BINDIR}" "/${CMAKE_INSTALL_LIBDIR}")
set_target_properties(vemo PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
install(TARGETS vemo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Its bash completion, where bash-completion loads it on demand, and its manual page.
install(FILES ${PROJECT_BINARY_DIR}/tools/vemo/vemo.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME vemo)
install(FILES ${PROJECT_BINARY_DIR}/tools/vemo/vemo.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(VEMO_BUILD_PYTHON)
  # The module goes where the target interpreter imports modules of the prefix from,
  # asked at install time (so `cmake --install --prefix` counts), and finds the library
  # relative to itself.
  install(CODE "
    execute_process(COMMAND \"${Python_EXECUTABLE}\" \"${PROJECT_SOURCE_DIR}/cmake/python_module_dir.py\" \"\${CMAKE_INSTALL_PREFIX}\"
                    OUTPUT_VARIABLE module_dir OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(failed OR NOT module_dir)
      message(FATAL_ERROR \"${Python_EXECUTABLE} could not say where its modules go\")
    endif()
    file(INSTALL \"$<TARGET_FILE:vemosupport_python>\" DESTINATION \"\${module_dir}\")
    file(INSTALL \"${PROJECT_SOURCE_DIR}/python/vemosupport.pyi\" DESTINATION \"\${module_dir}\")
    file(RELATIVE_PATH module_to_lib \"\${module_dir}\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}\")
    file(RPATH_SET FILE \"\$ENV{DESTDIR}\${module_dir}/$<TARGET_FILE_NAME:vemosupport_python>\"
         NEW_RPATH \"\\\$ORIGIN/\${module_to_lib}\")
  ")
endif()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/catalog/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vemosupport/catalog)
