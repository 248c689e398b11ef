// backend.h - what each platform backend provides to the backend-independent parts of the
// platform layer. Not for use outside platform/.
#pragma once

#include <cstdint>

namespace platform {

int64_t realCounter();
int64_t realCounterFrequency();

// The modal box of showMessage, or standard error where no display can show one.
void showMessageBox(const char* text);

}  // namespace platform
