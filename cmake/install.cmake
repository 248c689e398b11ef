# make install: the production and its tools, data.rar, the manual pages (made from each
# program's --help by scripts/help2roff, with docs/man/NAME.extra), the desktop entry and
# its icons (drawn by assetgen), the README and the licence. Honours CMAKE_INSTALL_PREFIX
# and DESTDIR.
set(palisade_tools rarpack modsync lwoinfo lwsinfo musicgen)
install(TARGETS palisade RUNTIME DESTINATION ${PALISADE_GAMES_DIR})
install(TARGETS ${palisade_tools} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PALISADE_DATA_ARCHIVE} DESTINATION ${PALISADE_DATA_DIR})

# Manual pages: section 6 for the game, 1 for the tools.
set(man_dir ${CMAKE_BINARY_DIR}/man)
set(man_pages "")
foreach(entry palisade:6 rarpack:1 modsync:1 lwoinfo:1 lwsinfo:1 musicgen:1)
    string(REPLACE ":" ";" entry ${entry})
    list(GET entry 0 name)
    list(GET entry 1 section)
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${name}.extra ${man_dir}/${name}.extra @ONLY)
    add_custom_command(OUTPUT ${man_dir}/${name}.${section}
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/help2roff $<TARGET_FILE:${name}> ${section}
                ${man_dir}/${name}.extra ${PROJECT_VERSION} ${man_dir}/${name}.${section}
        DEPENDS ${name} ${PROJECT_SOURCE_DIR}/scripts/help2roff ${man_dir}/${name}.extra
        COMMENT "Manual page ${name}(${section})")
    list(APPEND man_pages ${man_dir}/${name}.${section})
    install(FILES ${man_dir}/${name}.${section} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
add_custom_target(manpages ALL DEPENDS ${man_pages})

# The desktop entry, and the icon in the usual sizes.
configure_file(${PROJECT_SOURCE_DIR}/assets/palisade.desktop.in
               ${CMAKE_BINARY_DIR}/palisade.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/palisade.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
set(icons "")
foreach(size 16 32 48 64 128 256)
    set(icon ${CMAKE_BINARY_DIR}/icons/${size}/palisade.png)
    add_custom_command(OUTPUT ${icon}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
        COMMAND assetgen --icon ${size} ${icon}
        DEPENDS assetgen
        COMMENT "Icon ${size}x${size}")
    list(APPEND icons ${icon})
    install(FILES ${icon}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(icons ALL DEPENDS ${icons})

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${PALISADE_DOC_DIR})
