# What `cmake --install` lays out, relative to the prefix:
#   bin/                    pellora, tessaron-server, pellora-regsvr
#   lib/pellora/            the module pellora.ocx and libpellora_com.so, the
#                           automation runtime it shares with its hosts
#   include/pellora/        the SDK; lib/pkgconfig/pellora.pc
#   share/applications, share/metainfo, share/icons/hicolor: the desktop entry
#                           (which also handles pellora: addresses), AppStream
#                           data and the icon
#   share/man/man1/         man pages made from each program's --help
#   share/pellora/demo/     the sample installation of `pellora --demo`
# The layout is relocatable: programs find the runtime and the module
# relative to themselves, pellora.pc its paths relative to itself.
set(PELLORA_MODULE_DIR lib/pellora)
# Installing copies what was built; it never builds every test first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(PELLORA_APP_ID de.brixel.Pellora)

set_target_properties(pellora pellora-regsvr PROPERTIES
  INSTALL_RPATH "$ORIGIN/../${PELLORA_MODULE_DIR}")
set_target_properties(pellora_ocx PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS pellora tessaron-server pellora-regsvr RUNTIME DESTINATION bin)
install(TARGETS pellora_ocx pellora_com LIBRARY DESTINATION ${PELLORA_MODULE_DIR})

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/pellora ${PROJECT_BINARY_DIR}/include/pellora
        DESTINATION include)
configure_file(${CMAKE_CURRENT_LIST_DIR}/pellora.pc.in ${PROJECT_BINARY_DIR}/pellora.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/pellora.pc DESTINATION lib/pkgconfig)

set(desktop ${PROJECT_SOURCE_DIR}/share/desktop)
configure_file(${desktop}/${PELLORA_APP_ID}.metainfo.xml
               ${PROJECT_BINARY_DIR}/${PELLORA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${desktop}/${PELLORA_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${PROJECT_BINARY_DIR}/${PELLORA_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${desktop}/${PELLORA_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/share/demo/ DESTINATION share/pellora/demo)

# Man pages from --help, so they never disagree with the programs.
find_program(PELLORA_HELP2MAN help2man)
if(PELLORA_HELP2MAN)
  set(pages)
  foreach(entry "pellora|host the Pellora editor control in a window"
                "tessaron-server|serve a Tessaron installation for Pellora"
                "pellora-regsvr|register the Pellora control module")
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 program)
    list(GET entry 1 summary)
    set(page ${PROJECT_BINARY_DIR}/man/${program}.1)
    add_custom_command(
      OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
              ${PELLORA_HELP2MAN} --no-info --no-discard-stderr
              --version-string=${PROJECT_VERSION} --name=${summary} --output=${page}
              $<TARGET_FILE:${program}>
      DEPENDS ${program}
      COMMENT "man page of ${program}"
      VERBATIM)
    list(APPEND pages ${page})
  endforeach()
  add_custom_target(pellora_man_pages ALL DEPENDS ${pages})
  install(FILES ${pages} DESTINATION share/man/man1)
else()
  message(STATUS "help2man not found (scripts/setup installs it): no man pages")
endif()
