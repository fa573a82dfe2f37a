# Release builds with GCC are optimised at link time. Each shared library is inlined across its own
# files; programs that link the static libraries with -flto (the Python module, the benchmarks, or a
# caller's own program built by the same GCC) are inlined across the layers too: the decoders into
# the value classes' setters and their block cache.
#
# The static archives keep machine code beside GCC's intermediate code ("fat" objects), so a program
# built without -flto, or by another compiler, links them as any other archive.
if(ZENTRIK_LTO AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  include(CheckIPOSupported)
  check_ipo_supported(RESULT zentrik_ipo OUTPUT zentrik_ipo_output LANGUAGES CXX)
  if(zentrik_ipo)
    set(CMAKE_INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
    set(ZENTRIK_FAT_LTO_OBJECTS $<$<CONFIG:Release>:-ffat-lto-objects>)
  else()
    message(STATUS "ZentrikCoders: no link-time optimisation: ${zentrik_ipo_output}")
  endif()
endif()
