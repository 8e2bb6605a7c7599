# cmake -DBUILD_DIR=... -DPREFIX=... -DCLI=0|1 -DAPPSTREAMCLI=... -P install_layout.cmake
# Installs each install component of the build (one per Debian package) into
# PREFIX/<component> and fails unless exactly its files are there (no test
# program, no tool), each with the package's copyright and changelog:
#   desktop (tavik)       tavik, its manual page, desktop entry, icons, metadata
#   tools (tavik-tools)   tavik-motor-sim and tavik-cli (when CLI is 1), their
#                         manual pages, tavik-cli's bash completion
#   mqtt (tavik-mqtt)     the daemon, its manual page, systemd unit, example
# Then: each PNG of the size its theme folder names, the metadata passes
# appstreamcli, the programs start, the headless ones link no GUI library, and
# every option a program's --help lists is in its manual page.
file(REMOVE_RECURSE ${PREFIX})
set(sizes 16 32 48 64 128 256)
set(package_of_desktop tavik)
set(package_of_tools tavik-tools)
set(package_of_mqtt tavik-mqtt)
set(programs_of_desktop tavik)
set(programs_of_tools tavik-motor-sim)
set(programs_of_mqtt tavik-mqtt)
set(want_desktop share/applications/tavik.desktop share/icons/hicolor/scalable/apps/tavik.svg
                 share/metainfo/org.example.tavik.metainfo.xml)
foreach(size ${sizes})
  list(APPEND want_desktop share/icons/hicolor/${size}x${size}/apps/tavik.png)
endforeach()
set(want_tools)
if(CLI)
  list(APPEND programs_of_tools tavik-cli)
  list(APPEND want_tools share/bash-completion/completions/tavik-cli)
endif()
set(want_mqtt lib/systemd/system/tavik-mqtt.service share/doc/tavik-mqtt/examples/mqtt.yaml)

set(programs)
foreach(component desktop tools mqtt)
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --component ${component}
                          --prefix ${PREFIX}/${component}
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  if(rc)
    message(FATAL_ERROR "cmake --install --component ${component} failed: ${rc}")
  endif()
  set(want ${want_${component}} share/doc/${package_of_${component}}/copyright
           share/doc/${package_of_${component}}/changelog.gz)
  foreach(program ${programs_of_${component}})
    list(APPEND want bin/${program} share/man/man1/${program}.1.gz)
    list(APPEND programs ${component}/${program})
  endforeach()
  file(GLOB_RECURSE got LIST_DIRECTORIES false RELATIVE ${PREFIX}/${component} ${PREFIX}/${component}/*)
  list(SORT want)
  list(SORT got)
  if(NOT got STREQUAL want)
    string(REPLACE ";" "\n  " got "${got}")
    string(REPLACE ";" "\n  " want "${want}")
    message(FATAL_ERROR "component ${component} installed:\n  ${got}\nexpected:\n  ${want}")
  endif()
endforeach()

# The installed programs start (the sanitizer build's environment comes from
# the test).
execute_process(COMMAND ${PREFIX}/desktop/bin/tavik --version RESULT_VARIABLE tavik_rc OUTPUT_QUIET ERROR_QUIET)
execute_process(COMMAND ${PREFIX}/tools/bin/tavik-motor-sim --help RESULT_VARIABLE sim_rc OUTPUT_QUIET)
if(NOT tavik_rc EQUAL 0 OR NOT sim_rc EQUAL 0)
  message(FATAL_ERROR "installed programs: tavik --version gave ${tavik_rc}, "
                      "tavik-motor-sim --help gave ${sim_rc}")
endif()
# The command-line tool and the daemon start, and run where no display
# libraries are installed (the server package pulls in none).
set(headless mqtt/tavik-mqtt)
if(CLI)
  list(APPEND headless tools/tavik-cli)
endif()
foreach(installed ${headless})
  get_filename_component(component ${installed} DIRECTORY)
  get_filename_component(program ${installed} NAME)
  execute_process(COMMAND ${PREFIX}/${component}/bin/${program} --help RESULT_VARIABLE rc OUTPUT_QUIET)
  execute_process(COMMAND ldd ${PREFIX}/${component}/bin/${program} OUTPUT_VARIABLE libs)
  if(NOT rc EQUAL 0 OR libs MATCHES "libQt6(Widgets|Gui)")
    message(FATAL_ERROR "${program} --help gave ${rc}; it links:\n${libs}")
  endif()
endforeach()

# A PNG's width and height are the two big-endian words after its signature
# and the IHDR chunk header (bytes 16..23).
foreach(size ${sizes})
  file(READ ${PREFIX}/desktop/share/icons/hicolor/${size}x${size}/apps/tavik.png header OFFSET 16 LIMIT 8 HEX)
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
                        ${PREFIX}/desktop/share/metainfo/org.example.tavik.metainfo.xml
                RESULT_VARIABLE rc OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(rc OR said MATCHES "\n[EWIP]: ")
  message(FATAL_ERROR "appstreamcli validate: ${said}")
endif()

# Each manual page documents every option its program's --help lists
# (help2man made it from that help).
foreach(installed ${programs})
  get_filename_component(component ${installed} DIRECTORY)
  get_filename_component(program ${installed} NAME)
  execute_process(COMMAND ${PREFIX}/${component}/bin/${program} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
  execute_process(COMMAND gzip -dc ${PREFIX}/${component}/share/man/man1/${program}.1.gz OUTPUT_VARIABLE page)
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
