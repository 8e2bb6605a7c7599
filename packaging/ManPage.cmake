# tavik_man_page(<target> <install component> "<what it is, for the NAME line>")
#
# The program's manual page, made by help2man from the program's own --help
# each time the program is built, so the page always tells what the program
# does; man/<target>.h2m, if present, adds sections (examples, files, see
# also).  The page is installed gzip-compressed into section 1.
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)

function(tavik_man_page target component whatis)
  set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${target}.1)
  set(extra ${CMAKE_CURRENT_SOURCE_DIR}/man/${target}.h2m)
  set(depends ${target})
  if(EXISTS ${extra})
    list(APPEND depends ${extra})
  endif()
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
    # Run by name from PATH, so the usage line reads "tavik", not a build
    # path; offscreen, as the widgets program needs a platform even for
    # --help.  The sanitizer build runs it too; its leak check is not wanted.
    COMMAND ${CMAKE_COMMAND} -E env "PATH=$<TARGET_FILE_DIR:${target}>:$ENV{PATH}"
            QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            ${HELP2MAN} --no-info --section=1 --name=${whatis}
                        --version-string=${PROJECT_VERSION} --opt-include=${extra}
                        --output=${page} ${target}
    COMMAND ${GZIP} -9nf ${page}
    DEPENDS ${depends}
    COMMENT "Manual page of ${target} from its --help"
    VERBATIM)
  add_custom_target(${target}-man ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endfunction()
