# The release package: build/win32/tavrinwp-<version>.zip with the program,
# the plugins that ship with it and the user's guide in Russian and English,
# and the installer of the same files, build/win32/tavrinwp-<version>-setup.exe.
#   cmake --build --preset win32 --target release
set(TAVRIN_RELEASE_NAME tavrinwp-${PROJECT_VERSION})
set(TAVRIN_RELEASE_ZIP ${CMAKE_BINARY_DIR}/${TAVRIN_RELEASE_NAME}.zip)
set(stage_root ${CMAKE_BINARY_DIR}/release)
set(stage ${stage_root}/${TAVRIN_RELEASE_NAME})
set(guides ${PROJECT_SOURCE_DIR}/docs/guide-ru.txt ${PROJECT_SOURCE_DIR}/docs/guide-en.txt)
set(sepia_ini ${CMAKE_BINARY_DIR}/plugins/sepia/plugin.ini)

set(guide_commands)
foreach(guide IN LISTS guides)
  get_filename_component(name ${guide} NAME)
  list(APPEND guide_commands COMMAND ${CMAKE_COMMAND} -DIN=${guide} -DOUT=${stage}/${name} -DBOM=ON
       -P ${PROJECT_SOURCE_DIR}/cmake/WindowsText.cmake)
endforeach()

# Staged afresh each time, so nothing left in the build's own plugin folders
# (a plugin's saved settings) ever ships.
add_custom_command(OUTPUT ${TAVRIN_RELEASE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage_root}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/plugins/sepia
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tavrinwp> ${stage}/tavrinwp.exe
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:sepia_plugin> $<TARGET_FILE:sepia_config> ${sepia_ini}
          ${stage}/plugins/sepia/
  ${guide_commands}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${TAVRIN_RELEASE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${stage_root}
          ${CMAKE_COMMAND} -E tar cf ${TAVRIN_RELEASE_ZIP} --format=zip ${TAVRIN_RELEASE_NAME}
  DEPENDS tavrinwp sepia_plugin sepia_config sepia_ini ${sepia_ini} ${guides}
          ${PROJECT_SOURCE_DIR}/cmake/WindowsText.cmake
  COMMENT "Packing ${TAVRIN_RELEASE_NAME}.zip"
  VERBATIM)

# The installer beside it, build/win32/tavrinwp-<version>-setup.exe, made with NSIS
# (Debian's nsis) from the same staged folder: installer/tavrinwp.nsi.
find_program(TAVRIN_MAKENSIS makensis)
set(TAVRIN_SETUP ${CMAKE_BINARY_DIR}/${TAVRIN_RELEASE_NAME}-setup.exe)
if(TAVRIN_MAKENSIS)
  set(nsi ${PROJECT_SOURCE_DIR}/installer/tavrinwp.nsi)
  add_custom_command(OUTPUT ${TAVRIN_SETUP}
    COMMAND ${TAVRIN_MAKENSIS} -WX -V2 -INPUTCHARSET UTF8 -DVERSION=${PROJECT_VERSION}
            -DVERSION_NUMBERS=${TAVRIN_VERSION_NUMBERS} -DSTAGE=${stage}
            -DICON=${PROJECT_SOURCE_DIR}/resources/tavrinwp.ico -DOUTFILE=${TAVRIN_SETUP} ${nsi}
    DEPENDS ${TAVRIN_RELEASE_ZIP} ${nsi} ${PROJECT_SOURCE_DIR}/resources/tavrinwp.ico
    COMMENT "Making ${TAVRIN_RELEASE_NAME}-setup.exe"
    VERBATIM)
  set(release_files ${TAVRIN_RELEASE_ZIP} ${TAVRIN_SETUP})
else()
  set(release_files ${TAVRIN_RELEASE_ZIP})
  message(WARNING "makensis (Debian package nsis, installed by scripts/bootstrap.sh) was not found: "
                  "the build makes no installer, and its test fails")
endif()
add_custom_target(release ALL DEPENDS ${release_files})
