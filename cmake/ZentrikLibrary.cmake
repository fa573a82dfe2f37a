# Helpers that build each layer of the toolkit as a shared and a static library.

set(ZENTRIK_WARNINGS -Wall -Wextra -Wpedantic)

function(zentrik_target_warnings target)
  target_compile_options(${target} PRIVATE ${ZENTRIK_WARNINGS})
  if(ZENTRIK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Every header is included as <zentrik/...>, in the tree as after installation.
# The build tree gets a folder of links that maps those paths onto the sources.
set(ZENTRIK_HEADER_FOLDERS
  "platform/utils=platform/utils"
  "platform/asn1=platform/asn1"
  "platform/internet=platform/internet"
  "foundation=src/foundation"
  "asn1=src/asn1"
  "iou=src/iou"
  "coders=src/coders")
set(ZENTRIK_BUILD_INCLUDE ${CMAKE_BINARY_DIR}/include)
# Headers of those folders that are no part of the interface: neither installed nor documented.
set(ZENTRIK_INTERNAL_HEADERS
  src/coders/Base64Kernels.h src/coders/Base64Tables.h src/coders/Base64Vector.h
  src/coders/QPKernels.h src/coders/QPEncoder.h src/coders/QPDecoder.h
  src/asn1/CodingStreams.h src/asn1/DERFastEncoder.h src/asn1/BackwardBuffer.h
  src/asn1/DirectDecoder.h platform/asn1/ASN1ValueCache.h platform/asn1/ASN1ValuePages.h
  platform/asn1/ASN1ShortCopy.h)

function(zentrik_headers_tree)
  foreach(pair IN LISTS ZENTRIK_HEADER_FOLDERS)
    string(REPLACE "=" ";" folder_pair "${pair}")
    list(GET folder_pair 0 installed)
    list(GET folder_pair 1 source)
    get_filename_component(parent "${ZENTRIK_BUILD_INCLUDE}/zentrik/${installed}" DIRECTORY)
    file(MAKE_DIRECTORY "${parent}")
    if(NOT EXISTS "${ZENTRIK_BUILD_INCLUDE}/zentrik/${installed}")
      file(CREATE_LINK "${CMAKE_SOURCE_DIR}/${source}" "${ZENTRIK_BUILD_INCLUDE}/zentrik/${installed}" SYMBOLIC)
    endif()
  endforeach()
endfunction()

# zentrik_add_library(NAME DIR DEPS ...): NAME (shared) and NAME_static from DIR/**/*.cpp.
function(zentrik_add_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    # A layer without sources yet still gets its targets, so the others can link against it.
    set(placeholder ${CMAKE_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${placeholder} "// no sources yet\n")
    set(sources ${placeholder})
  endif()
  add_library(${name}_objects OBJECT ${sources})
  target_include_directories(${name}_objects PUBLIC $<BUILD_INTERFACE:${ZENTRIK_BUILD_INCLUDE}>)
  target_compile_definitions(${name}_objects PRIVATE ZENTRIK_BUILDING)
  zentrik_target_warnings(${name}_objects)
  target_compile_options(${name}_objects PRIVATE ${ZENTRIK_FAT_LTO_OBJECTS})
  set(static_deps)
  foreach(dep IN LISTS ARG_DEPS)
    if(TARGET ${dep}_static)
      list(APPEND static_deps ${dep}_static)
      target_include_directories(${name}_objects PUBLIC $<TARGET_PROPERTY:${dep},INTERFACE_INCLUDE_DIRECTORIES>)
    else()
      list(APPEND static_deps ${dep})
      target_link_libraries(${name}_objects PUBLIC ${dep})
    endif()
  endforeach()

  add_library(${name} SHARED $<TARGET_OBJECTS:${name}_objects>)
  add_library(${name}_static STATIC $<TARGET_OBJECTS:${name}_objects>)
  set_target_properties(${name} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR} EXPORT_NAME ${name})
  # Installed, each shared library finds the libraries of this project it needs beside itself.
  set_target_properties(${name} PROPERTIES INSTALL_RPATH "$ORIGIN")
  set_target_properties(${name}_static PROPERTIES OUTPUT_NAME ${name} EXPORT_NAME ${name}_static)
  foreach(t ${name} ${name}_static)
    target_include_directories(${t} PUBLIC
      $<BUILD_INTERFACE:${ZENTRIK_BUILD_INCLUDE}>
      $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  endforeach()
  foreach(dep IN LISTS ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${dep})
  endforeach()
  target_link_libraries(${name}_static PUBLIC ${static_deps})
  add_library(Zentrik::${name} ALIAS ${name})
  add_library(Zentrik::${name}_static ALIAS ${name}_static)
  set_property(GLOBAL APPEND PROPERTY ZENTRIK_LIBRARIES ${name} ${name}_static)
endfunction()
