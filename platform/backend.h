// backend.h - what each platform backend provides to the backend-independent parts of the
// platform layer. Not for use outside platform/.
#pragma once

#include <cstdint>

namespace platform {

int64_t realCounter();
int64_t realCounterFrequency();

}  // namespace platform
