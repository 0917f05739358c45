# libjpeg-turbo, cross-built as a static library with its SIMD code, from the source the setup
# fetched into KV_DEPS_DIR. The result is the imported target kvimage_libjpeg.
include(ExternalProject)

set(KVIMAGE_LIBJPEG_SOURCE "${KV_DEPS_DIR}/libjpeg-turbo-2.1.5")
if(NOT EXISTS "${KVIMAGE_LIBJPEG_SOURCE}/CMakeLists.txt")
  message(FATAL_ERROR "libjpeg-turbo source not found in ${KVIMAGE_LIBJPEG_SOURCE}; run tools/setup")
endif()

set(libjpeg_build "${CMAKE_CURRENT_BINARY_DIR}/libjpeg-turbo")
set(libjpeg_prefix "${CMAKE_CURRENT_BINARY_DIR}/libjpeg-turbo-install")
get_filename_component(libjpeg_toolchain "${CMAKE_TOOLCHAIN_FILE}" ABSOLUTE BASE_DIR "${CMAKE_BINARY_DIR}")

# Only the library is built; its headers are read from the source and build folders, so no install
# step is needed (the prefix must still be absolute, or its configure fails on a Windows default).
ExternalProject_Add(libjpeg_turbo
  SOURCE_DIR "${KVIMAGE_LIBJPEG_SOURCE}"
  BINARY_DIR "${libjpeg_build}"
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${libjpeg_toolchain}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=${libjpeg_prefix}
    -DENABLE_SHARED=OFF
    -DENABLE_STATIC=ON
    -DWITH_TURBOJPEG=OFF
    -DWITH_SIMD=ON
    -DREQUIRE_SIMD=ON
    -DWITH_ARITH_DEC=ON
  BUILD_COMMAND ${CMAKE_COMMAND} --build "${libjpeg_build}" --target jpeg-static
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS "${libjpeg_build}/libjpeg.a"
  USES_TERMINAL_BUILD OFF
)

add_library(kvimage_libjpeg STATIC IMPORTED GLOBAL)
set_target_properties(kvimage_libjpeg PROPERTIES
  IMPORTED_LOCATION "${libjpeg_build}/libjpeg.a"
  INTERFACE_INCLUDE_DIRECTORIES "${KVIMAGE_LIBJPEG_SOURCE};${libjpeg_build}")
add_dependencies(kvimage_libjpeg libjpeg_turbo)
