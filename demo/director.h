// director.h - turns the song position into the frame's picture.
#pragma once

namespace Director {
// Called once per frame by the main loop; always true (the production never ends itself).
bool frame(float time, float frameTime);
}  // namespace Director
