# Every library the project links, found once (all of them Debian packages, installed by
# scripts/install-deps). Folders link the targets named here.
find_package(PkgConfig REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
find_package(Threads REQUIRED)
find_package(Freetype REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(GLU REQUIRED IMPORTED_TARGET glu)
pkg_check_modules(OPENMPT REQUIRED IMPORTED_TARGET libopenmpt)
pkg_check_modules(KISSFFT REQUIRED IMPORTED_TARGET kissfft-float)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)

# The DejaVu faces of fonts-dejavu-core: the generated artwork's text and the settings dialog's.
set(PALISADE_FONT_DIR /usr/share/fonts/truetype/dejavu CACHE PATH "Where the DejaVu fonts are")

# DevIL: its pkg-config file for ILUT is broken on Debian, so the libraries are found by name
# and wrapped as DevIL::IL, DevIL::ILU and DevIL::ILUT.
find_path(DEVIL_INCLUDE_DIR IL/il.h REQUIRED)
foreach(part IL ILU ILUT)
    find_library(DEVIL_${part}_LIBRARY ${part} REQUIRED)
    add_library(DevIL::${part} UNKNOWN IMPORTED)
    set_target_properties(DevIL::${part} PROPERTIES
        IMPORTED_LOCATION ${DEVIL_${part}_LIBRARY}
        INTERFACE_INCLUDE_DIRECTORIES ${DEVIL_INCLUDE_DIR})
endforeach()
target_link_libraries(DevIL::ILU INTERFACE DevIL::IL)
target_link_libraries(DevIL::ILUT INTERFACE DevIL::ILU)
