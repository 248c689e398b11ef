#include "app/png_frame.h"

#include <IL/il.h>

bool writePngFrame(std::FILE* file, int width, int height, const unsigned char* rgbBottomUp) {
    while (ilGetError() != IL_NO_ERROR) {
    }
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool ok = ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
                         const_cast<unsigned char*>(rgbBottomUp)) == IL_TRUE;
    if (ok) {
        ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
        const long before = std::ftell(file);
        // ilSaveF's result is no guide: DevIL passes the byte count through an 8-bit truth
        // value, so a picture whose PNG is a multiple of 256 bytes long reads as a failure.
        // Its error state and the stream say whether the picture was written.
        ilSaveF(IL_PNG, file);
        ok = ilGetError() == IL_NO_ERROR && std::ftell(file) > before && !std::ferror(file);
    }
    ilDeleteImages(1, &image);
    return ok;
}
