# Where `make install` puts things: Debian's layout for a game. The program goes under
# games/, its data under share/games/palisade/, the tools under bin/. The program is built
# knowing where its installed data.rar is (it reads it when the working directory has none).
include(GNUInstallDirs)
set(PALISADE_GAMES_DIR games)
set(PALISADE_DATA_DIR ${CMAKE_INSTALL_DATADIR}/games/palisade)
set(PALISADE_INSTALLED_DATA ${CMAKE_INSTALL_PREFIX}/${PALISADE_DATA_DIR}/data.rar)
set(PALISADE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/palisade)
