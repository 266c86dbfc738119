# Installation and the Debian package. Included last, when every program
# target exists: each rule is attached only to the programs this build has
# (the Windows cross build has no GUI, and a build may lack one of them).
#
# cmake --install build --prefix /usr   the programs, man pages, the Wireshark
#                                       dissector and, with the GUI, the menu
#                                       entry, icons and metainfo
# cpack --config build/CPackConfig.cmake   the .deb (scripts/package.sh)

include(GNUInstallDirs)

set(NOLT_APP_ID io.github.nolt.pcclient)
set(NOLT_PROGRAMS)
foreach(_program nolt-pcclient nolt-sim nolt-cli)
  if(TARGET ${_program})
    list(APPEND NOLT_PROGRAMS ${_program})
  endif()
endforeach()
# The package checks read which programs to expect from here.
file(WRITE ${CMAKE_BINARY_DIR}/nolt-programs.txt "")
foreach(_program IN LISTS NOLT_PROGRAMS)
  file(APPEND ${CMAKE_BINARY_DIR}/nolt-programs.txt "${_program}\n")
endforeach()

install(TARGETS ${NOLT_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (cpack, cmake --install --strip) also drops the
# compiler's notes, as Debian's own packages do.
if(CMAKE_STRIP AND NOT WIN32)
  foreach(_program IN LISTS NOLT_PROGRAMS)
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${_program}\"
                  COMMAND_ERROR_IS_FATAL ANY)
endif()")
  endforeach()
endif()

# Windows packages (zip and installer) are put together by scripts/package.sh
# from the installed programs (with the dissector beside them); the rest is
# for Linux desktops.
if(WIN32)
  return()
endif()

# The Wireshark dissector, where tshark and Wireshark load Lua plugins for
# every user: the folder `tshark -G folders` calls "Global Lua Plugins"
# (on Debian the architecture's wireshark/plugins folder, which holds the
# versioned folder of compiled plugins). Taken relative to /usr, where the
# package installs; without tshark here, Debian's layout.
set(NOLT_WIRESHARK_LUA_DIR "" CACHE STRING
    "Folder under the install prefix for the Wireshark dissector (empty: ask tshark)")
set(_lua_dir "${NOLT_WIRESHARK_LUA_DIR}")
if(NOT _lua_dir)
  find_program(NOLT_TSHARK tshark)
  if(NOLT_TSHARK)
    execute_process(COMMAND ${NOLT_TSHARK} -G folders OUTPUT_VARIABLE _folders ERROR_QUIET)
    if(_folders MATCHES "Global Lua Plugins:[ \t]*/usr/([^\r\n]*)")
      set(_lua_dir ${CMAKE_MATCH_1})
    endif()
  endif()
  if(NOT _lua_dir)
    if(CMAKE_LIBRARY_ARCHITECTURE)
      set(_lua_dir lib/${CMAKE_LIBRARY_ARCHITECTURE}/wireshark/plugins)
    else()
      set(_lua_dir lib/wireshark/plugins)
    endif()
  endif()
endif()
install(FILES ${PROJECT_SOURCE_DIR}/wireshark/nolt.lua DESTINATION ${_lua_dir})

set(_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(_out ${CMAKE_BINARY_DIR}/packaging)

# Man pages and the changelog, compressed the way Debian wants them: at the
# highest level and without a time stamp, so the package is reproducible.
set(_compressed)
function(nolt_gzip source target)
  add_custom_command(OUTPUT ${target}
    COMMAND gzip -9nc ${source} > ${target}
    DEPENDS ${source} VERBATIM)
  set(_compressed ${_compressed} ${target} PARENT_SCOPE)
endfunction()

foreach(_program IN LISTS NOLT_PROGRAMS)
  configure_file(${_pkg}/man/${_program}.1.in ${_out}/${_program}.1 @ONLY)
  nolt_gzip(${_out}/${_program}.1 ${_out}/${_program}.1.gz)
  install(FILES ${_out}/${_program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
nolt_gzip(${_pkg}/linux/changelog ${_out}/changelog.gz)
add_custom_target(nolt_packaging_files ALL DEPENDS ${_compressed})

# Named after the package, not the CMake project.
install(FILES ${_out}/changelog.gz ${_pkg}/linux/copyright
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/nolt-pcclient)

if(TARGET nolt-pcclient)
  set(NOLT_METAINFO_BINARIES "")
  foreach(_program IN LISTS NOLT_PROGRAMS)
    string(APPEND NOLT_METAINFO_BINARIES "    <binary>${_program}</binary>\n")
  endforeach()
  string(STRIP "${NOLT_METAINFO_BINARIES}" NOLT_METAINFO_BINARIES)
  set(NOLT_METAINFO_BINARIES "    ${NOLT_METAINFO_BINARIES}")
  configure_file(${_pkg}/linux/${NOLT_APP_ID}.metainfo.xml.in ${_out}/${NOLT_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${_out}/${NOLT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
  install(FILES ${_pkg}/linux/${NOLT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  set(_icons ${PROJECT_SOURCE_DIR}/src/res/icons)
  foreach(_size 16 32 48 64 128 256)
    install(FILES ${_icons}/nolt-pcclient-${_size}.png
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${_size}x${_size}/apps
            RENAME ${NOLT_APP_ID}.png)
  endforeach()
  install(FILES ${_icons}/nolt-pcclient.svg
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps RENAME ${NOLT_APP_ID}.svg)
endif()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nolt-pcclient)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "nolt PC client developers")
set(CPACK_PACKAGE_CONTACT "nolt PC client developers <nolt-pcclient@nolt.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://nolt.github.io/pcclient/")
# Depends is computed from the libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dissector is of use with either.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wireshark | tshark")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for a networked camera module")
# The first line of the control file's Description is the summary above.
set(_companions "nolt-sim, a module simulator for trying the tool and
rehearsing faults without hardware")
if(TARGET nolt-cli)
  string(APPEND _companions ", and nolt-cli, the same commands from
the command line for scripts")
endif()
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A desktop tool that opens one TCP connection to a camera module on the local
network, sends it short binary command frames and shows every reply in a
message log and read-only fields: status and version queries, main and sub
stream encoding, the module's IP settings, bandwidth, DHCP and its rtmp://
push address. The tool records its traffic as a pcapng capture on request.

It comes with ${_companions}, and a Wireshark dissector for the module's
protocol.")
include(CPack)
