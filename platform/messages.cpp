// messages.cpp - message helpers that every backend shares.
#include <cstdio>

#include "platform/platform.h"

namespace platform {

void showMessageWith(const char* format, const char* text) {
    char message[512];
    std::snprintf(message, sizeof message, format, text ? text : "");
    showMessage(message);
}

}  // namespace platform
