# Debian packages, one per install component (cmake/ZentrikInstall.cmake): `cpack -G DEB` in a build
# folder writes libzentrikcoders<major>, libzentrikcoders-dev and zcoders, VERSION-1, for the
# architecture dpkg reports. Configure with -DCMAKE_INSTALL_PREFIX=/usr to get the multiarch library
# folder (usr/lib/<triplet>); the packages always install under /usr.
set(zentrik_deb_release 1)
set(zentrik_deb_version "${PROJECT_VERSION}-${zentrik_deb_release}")
set(zentrik_runtime_package "libzentrikcoders${PROJECT_VERSION_MAJOR}")

set(CPACK_PACKAGE_NAME zentrikcoders)
set(CPACK_PACKAGE_VENDOR "ZentrikCoders")
set(CPACK_PACKAGE_CONTACT "ZentrikCoders developer <dev@zentrik.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${zentrik_deb_release})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps adds the packages of the system libraries the binaries need (RE2, the C++ runtime).
# It must be able to open this project's own libraries too: the build folder holds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR})

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${zentrik_runtime_package})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# A shlibs file in the package that holds shared libraries (the runtime one), so that packages built
# against them depend on this exact version: the interface may change between 0.x versions.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")
# dpkg rebuilds the loader's cache once the packages are unpacked (CPack's postinst runs ldconfig too).
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
  "ASN.1 DER/BER codec and byte coders (shared libraries)
ZentrikCoders turns ASN.1 values into DER or BER octets and back, reads and
writes huge BER structures one element at a time with bounded memory, and
runs byte coders: Base64, quoted-printable and URL query strings.
This package holds the shared libraries ZentrikUtils, ZentrikASN1,
ZentrikInternet and ZentrikCoders.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libzentrikcoders-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The CMake package and the pkg-config file look RE2 up with pkg-config.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
  "${zentrik_runtime_package} (= ${zentrik_deb_version}), libre2-dev, pkg-config")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
  "ASN.1 DER/BER codec and byte coders (development files)
ZentrikCoders turns ASN.1 values into DER or BER octets and back, reads and
writes huge BER structures one element at a time with bounded memory, and
runs byte coders: Base64, quoted-printable and URL query strings.
This package holds the headers (include/zentrik/), the static libraries, a
CMake package (find_package(ZentrikCoders)) and a pkg-config file
(zentrikcoders).")

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME zcoders)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "${zentrik_runtime_package} (= ${zentrik_deb_version})")
set(CPACK_DEBIAN_TOOL_DESCRIPTION
  "command-line ASN.1 dumper and Base64, quoted-printable, URL coder
zcoders dumps DER and BER (PEM too) as an indented tree, re-encodes BER as
DER, extracts components, wraps any file as a streamed OCTET STRING and
unwraps it again in bounded memory, and encodes or decodes Base64,
quoted-printable and URL query strings.")

include(CPack)
