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
endif()
