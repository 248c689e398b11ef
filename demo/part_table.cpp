#include "demo/part_table.h"

// Every row, each defined in the file named beside it. A part's place here does not matter:
// its orders and the places of its preparation steps are in its row.
#define PALISADE_PART_ROWS(ROW)                                         \
    ROW(kTubeIntroPart)    /* part_tube.cpp, orders 0-3 */              \
    ROW(kTubeArrowsPart)   /* part_tube.cpp, orders 4-6 */              \
    ROW(kTitlePart)        /* part_title.cpp, order 7 */                \
    ROW(kTwistTorusPart)   /* part_twist_torus.cpp, orders 8-9 */       \
    ROW(kMetaballsPart)    /* part_metaballs.cpp, order 10 */           \
    ROW(kSpheresPart)      /* part_spheres.cpp, orders 11-12 */         \
    ROW(kArrowShockPart)   /* part_arrow_shock.cpp, orders 13-15 */     \
    ROW(kHeartPart)        /* part_heart.cpp, orders 16-19 */           \
    ROW(kZoomFeedbackPart) /* part_zoom_feedback.cpp, 20-21 */          \
    ROW(kEnvCubePart)      /* part_env_cube.cpp, orders 22-23 */        \
    ROW(kShockwavePart)    /* part_shockwave.cpp, orders 24-25 */       \
    ROW(kCreditsPart)      /* part_credits.cpp, orders 26-31 */         \
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
