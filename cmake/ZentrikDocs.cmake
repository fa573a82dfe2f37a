# The `docs` target: the API reference of the installed headers, made by Doxygen into build/<preset>/docs.
# It fails on any Doxygen warning, printed on standard error, so an undocumented public class, member
# or function stops it and is named.
option(ZENTRIK_BUILD_DOCS "Add the docs target (the API reference, needs doxygen)" ON)
if(NOT ZENTRIK_BUILD_DOCS)
  return()
endif()
find_package(Doxygen)
if(NOT DOXYGEN_FOUND)
  message(STATUS "doxygen not found: no docs target")
  return()
endif()

set(ZENTRIK_DOCS_OUTPUT ${CMAKE_BINARY_DIR}/docs)
set(ZENTRIK_DOCS_INPUT "${CMAKE_SOURCE_DIR}/README.md")
foreach(pair IN LISTS ZENTRIK_HEADER_FOLDERS)
  string(REPLACE "=" ";" folder_pair "${pair}")
  list(GET folder_pair 1 source)
  string(APPEND ZENTRIK_DOCS_INPUT " ${CMAKE_SOURCE_DIR}/${source}")
endforeach()
set(ZENTRIK_DOCS_EXCLUDE "")
foreach(internal IN LISTS ZENTRIK_INTERNAL_HEADERS)
  string(APPEND ZENTRIK_DOCS_EXCLUDE " ${CMAKE_SOURCE_DIR}/${internal}")
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/docs/Doxyfile.in ${CMAKE_BINARY_DIR}/Doxyfile @ONLY)

add_custom_target(docs
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZENTRIK_DOCS_OUTPUT}
  COMMAND Doxygen::doxygen ${CMAKE_BINARY_DIR}/Doxyfile
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  COMMENT "API reference (Doxygen) into ${ZENTRIK_DOCS_OUTPUT}/html"
  VERBATIM)
