#include "demo/part_table.h"

// Every row, each defined in the file named beside it. A part's place here does not matter:
// its orders and the places of its preparation steps are in its row.
#define PALISADE_PART_ROWS(ROW)                                         \
    ROW(kTubeIntroPart)    /* part_tube.cpp */                          \
    ROW(kTubeArrowsPart)   /* part_tube.cpp */                          \
    ROW(kTitlePart)        /* part_title.cpp */                         \
    ROW(kTwistTorusPart)   /* part_twist_torus.cpp */                   \
    ROW(kMetaballsPart)    /* part_metaballs.cpp */                     \
    ROW(kSpheresPart)      /* part_spheres.cpp */                       \
    ROW(kArrowShockPart)   /* part_arrow_shock.cpp */                   \
    ROW(kHeartPart)        /* part_heart.cpp */                         \
    ROW(kZoomFeedbackPart) /* part_zoom_feedback.cpp */                 \
    ROW(kEnvCubePart)      /* part_env_cube.cpp */                      \
    ROW(kShockwavePart)    /* part_shockwave.cpp */                     \
    ROW(kCreditsPart)      /* part_credits.cpp */                       \
    ROW(kOverlayRow)       /* logo_overlay.cpp: every part's overlay */ \
    ROW(kLibraryRow)       /* library_effects.cpp: effects no order draws */

#define PALISADE_DECLARE_ROW(row) extern const PartRow row;
PALISADE_PART_ROWS(PALISADE_DECLARE_ROW)

namespace {

#define PALISADE_ROW_ADDRESS(row) &row,
const PartRow* const kRows[] = {PALISADE_PART_ROWS(PALISADE_ROW_ADDRESS)};

}  // namespace

namespace PartTable {

size_t rowCount() {
    return sizeof kRows / sizeof kRows[0];
}

const PartRow& row(size_t index) {
    return *kRows[index];
}

}  // namespace PartTable
