# cmake -DBUILD_DIR=... -DPREFIX=... -DCLI=0|1 -DAPPSTREAMCLI=... -P install_layout.cmake
# Installs the build into PREFIX and fails unless exactly the programs (with
# tavik-cli when CLI is 1), a manual page for each, the desktop entry, the
# bridge's systemd unit and example configuration, the
# icons, the AppStream metadata and the package's copyright and changelog are
# there (no test program, no tool), each PNG of the size its theme folder
# names; the metadata must pass appstreamcli.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(sizes 16 32 48 64 128 256)
set(programs tavik tavik-motor-sim tavik-mqtt)
if(CLI)
  list(APPEND programs tavik-cli)
endif()
set(want share/applications/tavik.desktop share/icons/hicolor/scalable/apps/tavik.svg
         share/metainfo/org.example.tavik.metainfo.xml
         share/doc/tavik/copyright share/doc/tavik/changelog.gz
         lib/systemd/system/tavik-mqtt.service share/doc/tavik/examples/mqtt.yaml)
foreach(program ${programs})
  list(APPEND want bin/${program} share/man/man1/${program}.1.gz)
endforeach()
foreach(size ${sizes})
  list(APPEND want share/icons/hicolor/${size}x${size}/apps/tavik.png)
endforeach()
file(GLOB_RECURSE got LIST_DIRECTORIES false RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT want)
list(SORT got)
if(NOT got STREQUAL want)
  string(REPLACE ";" "\n  " got "${got}")
  string(REPLACE ";" "\n  " want "${want}")
  message(FATAL_ERROR "installed:\n  ${got}\nexpected:\n  ${want}")
endif()

# The installed programs start (the sanitizer build's environment comes from
# the test).
execute_process(COMMAND ${PREFIX}/bin/tavik --version RESULT_VARIABLE tavik_rc OUTPUT_QUIET ERROR_QUIET)
execute_process(COMMAND ${PREFIX}/bin/tavik-motor-sim --help RESULT_VARIABLE sim_rc OUTPUT_QUIET)
if(NOT tavik_rc EQUAL 0 OR NOT sim_rc EQUAL 0)
  message(FATAL_ERROR "installed programs: tavik --version gave ${tavik_rc}, "
                      "tavik-motor-sim --help gave ${sim_rc}")
endif()
# The command-line tool starts, and runs where no display libraries are installed.
if(CLI)
  execute_process(COMMAND ${PREFIX}/bin/tavik-cli --help RESULT_VARIABLE cli_rc OUTPUT_QUIET)
  execute_process(COMMAND ldd ${PREFIX}/bin/tavik-cli OUTPUT_VARIABLE cli_libs)
  if(NOT cli_rc EQUAL 0 OR cli_libs MATCHES "libQt6(Widgets|Gui)")
    message(FATAL_ERROR "tavik-cli --help gave ${cli_rc}; it links:\n${cli_libs}")
  endif()
endif()

# A PNG's width and height are the two big-endian words after its signature
# and the IHDR chunk header (bytes 16..23).
foreach(size ${sizes})
  file(READ ${PREFIX}/share/icons/hicolor/${size}x${size}/apps/tavik.png header OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING "${header}" 0 8 width)
  string(SUBSTRING "${header}" 8 8 height)
  math(EXPR width "0x${width}")
  math(EXPR height "0x${height}")
  if(NOT width EQUAL size OR NOT height EQUAL size)
    message(FATAL_ERROR "the ${size}x${size} icon is ${width}x${height}")
  endif()
endforeach()

# Software centres read the metadata without network.
execute_process(COMMAND ${APPSTREAMCLI} validate --no-net --pedantic
                        ${PREFIX}/share/metainfo/org.example.tavik.metainfo.xml
                RESULT_VARIABLE rc OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(rc OR said MATCHES "\n[EWIP]: ")
  message(FATAL_ERROR "appstreamcli validate: ${said}")
endif()

# Each manual page documents every option its program's --help lists
# (help2man made it from that help).
foreach(program ${programs})
  execute_process(COMMAND ${PREFIX}/bin/${program} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
  execute_process(COMMAND gzip -dc ${PREFIX}/share/man/man1/${program}.1.gz OUTPUT_VARIABLE page)
  string(REGEX MATCHALL "--[a-z][a-z-]*" options "${help}")
  list(REMOVE_DUPLICATES options)
  string(REPLACE "\\-" "-" page "${page}")
  foreach(option ${options})
    string(FIND "${page}" "${option}" at)
    if(at LESS 0)
      message(FATAL_ERROR "the manual page of ${program} lacks ${option}")
    endif()
  endforeach()
endforeach()
