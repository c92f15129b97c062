# Libraries the build takes from the machine (installed by scripts/bootstrap.sh).

if(WIN32)
  # libjpeg-turbo, cross-built for i686 from Debian's source package.
  set(TAVRIN_JPEG_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../.cache/libjpeg-win32" CACHE PATH "libjpeg for Windows")
  if(EXISTS "${TAVRIN_JPEG_PREFIX}/lib/libjpeg.a")
    add_library(tavrin_jpeg STATIC IMPORTED GLOBAL)
    set_target_properties(tavrin_jpeg PROPERTIES
      IMPORTED_LOCATION "${TAVRIN_JPEG_PREFIX}/lib/libjpeg.a"
      INTERFACE_INCLUDE_DIRECTORIES "${TAVRIN_JPEG_PREFIX}/include")
  else()
    message(FATAL_ERROR "libjpeg for Windows is missing: run scripts/bootstrap.sh")
  endif()

  # libspng and libwebp, cross-built for i686 from Debian's source packages, over
  # Debian's zlib for MinGW (libz-mingw-w64-dev), all linked statically.
  set(TAVRIN_SPNG_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../.cache/libspng-win32" CACHE PATH "libspng for Windows")
  set(TAVRIN_WEBP_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../.cache/libwebp-win32" CACHE PATH "libwebp for Windows")
  if(NOT EXISTS "${TAVRIN_SPNG_PREFIX}/lib/libspng_static.a" OR NOT EXISTS "${TAVRIN_WEBP_PREFIX}/lib/libwebp.a")
    message(FATAL_ERROR "libspng or libwebp for Windows is missing: run scripts/bootstrap.sh")
  endif()
  add_library(tavrin_png INTERFACE IMPORTED GLOBAL)
  target_link_libraries(tavrin_png INTERFACE "${TAVRIN_SPNG_PREFIX}/lib/libspng_static.a"
                        "${CMAKE_FIND_ROOT_PATH}/lib/libz.a")
  target_include_directories(tavrin_png INTERFACE "${TAVRIN_SPNG_PREFIX}/include")
  target_compile_definitions(tavrin_png INTERFACE SPNG_STATIC)
  add_library(tavrin_webp INTERFACE IMPORTED GLOBAL)
  target_link_libraries(tavrin_webp INTERFACE "${TAVRIN_WEBP_PREFIX}/lib/libwebpdemux.a"
                        "${TAVRIN_WEBP_PREFIX}/lib/libwebp.a")
  target_include_directories(tavrin_webp INTERFACE "${TAVRIN_WEBP_PREFIX}/include")

  # GoogleTest from Debian's source tree, built with the cross compiler.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  if(EXISTS /usr/src/googletest/CMakeLists.txt)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  endif()
else()
  find_package(JPEG REQUIRED)
  add_library(tavrin_jpeg INTERFACE IMPORTED GLOBAL)
  target_link_libraries(tavrin_jpeg INTERFACE JPEG::JPEG)
  find_package(GTest REQUIRED)
  # libspng and libwebp: Debian's packages of the versions cross-built for Windows.
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(SPNG REQUIRED IMPORTED_TARGET spng)
  pkg_check_modules(WEBP REQUIRED IMPORTED_TARGET libwebp libwebpdemux)
  add_library(tavrin_png INTERFACE IMPORTED GLOBAL)
  target_link_libraries(tavrin_png INTERFACE PkgConfig::SPNG)
  add_library(tavrin_webp INTERFACE IMPORTED GLOBAL)
  target_link_libraries(tavrin_webp INTERFACE PkgConfig::WEBP)
endif()
