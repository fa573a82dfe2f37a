# Installs the libraries, their headers under include/zentrik/, a CMake package and a pkg-config file.
# Three install components, one Debian package each (cmake/ZentrikPackaging.cmake):
#   runtime      the shared libraries (libZentrik*.so.N and what they point to)
#   development  headers, static libraries, the links libZentrik*.so, the CMake package, pkg-config
#   tool         zcoders (tools/zcoders/CMakeLists.txt)
include(CMakePackageConfigHelpers)

get_property(zentrik_libraries GLOBAL PROPERTY ZENTRIK_LIBRARIES)
install(TARGETS ${zentrik_libraries} EXPORT ZentrikCodersTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(zentrik_internal_patterns "")
foreach(internal IN LISTS ZENTRIK_INTERNAL_HEADERS)
  get_filename_component(internal_name ${internal} NAME)
  list(APPEND zentrik_internal_patterns PATTERN ${internal_name} EXCLUDE)
endforeach()
foreach(pair IN LISTS ZENTRIK_HEADER_FOLDERS)
  string(REPLACE "=" ";" folder_pair "${pair}")
  list(GET folder_pair 0 installed)
  list(GET folder_pair 1 source)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/${source}/
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zentrik/${installed}
    COMPONENT development
    FILES_MATCHING PATTERN "*.h" ${zentrik_internal_patterns})
endforeach()

install(EXPORT ZentrikCodersTargets NAMESPACE Zentrik::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ZentrikCoders COMPONENT development)
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/ZentrikCodersConfig.cmake.in
  ${CMAKE_BINARY_DIR}/ZentrikCodersConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ZentrikCoders)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/ZentrikCodersConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/ZentrikCodersConfig.cmake ${CMAKE_BINARY_DIR}/ZentrikCodersConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ZentrikCoders COMPONENT development)

file(RELATIVE_PATH ZENTRIK_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
configure_file(${CMAKE_SOURCE_DIR}/cmake/zentrikcoders.pc.in ${CMAKE_BINARY_DIR}/zentrikcoders.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/zentrikcoders.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT development)
