# cmake -DBUILD_DIR=... -DPREFIX=... -P install_layout.cmake
# Installs the build into PREFIX and fails unless exactly the programs, the
# desktop entry and the icons are there (no test program, no tool), each PNG
# of the size its theme folder names.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(sizes 16 32 48 64 128 256)
set(want bin/tavik bin/tavik-cli bin/tavik-motor-sim share/applications/tavik.desktop
         share/icons/hicolor/scalable/apps/tavik.svg)
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
execute_process(COMMAND ${PREFIX}/bin/tavik-cli --help RESULT_VARIABLE cli_rc OUTPUT_QUIET)
if(NOT tavik_rc EQUAL 0 OR NOT sim_rc EQUAL 0 OR NOT cli_rc EQUAL 0)
  message(FATAL_ERROR "installed programs: tavik --version gave ${tavik_rc}, "
                      "tavik-motor-sim --help gave ${sim_rc}, tavik-cli --help gave ${cli_rc}")
endif()
# The command-line tool runs where no display libraries are installed.
execute_process(COMMAND ldd ${PREFIX}/bin/tavik-cli OUTPUT_VARIABLE cli_libs)
if(cli_libs MATCHES "libQt6(Widgets|Gui)")
  message(FATAL_ERROR "tavik-cli links the widget or GUI libraries:\n${cli_libs}")
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
