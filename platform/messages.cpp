// messages.cpp - what every backend shares: the message helpers and the pixel format request.
#include <atomic>
#include <cstdio>

#include "platform/backend.h"
#include "platform/platform.h"

namespace platform {

namespace {
MessageSink g_messageSink = nullptr;
std::atomic<int> g_messagesShown{0};
}  // namespace

void setMessageSink(MessageSink sink) {
    g_messageSink = sink;
}

void showMessage(const char* text) {
    ++g_messagesShown;
    if (g_messageSink) {
        g_messageSink(text);
        return;
    }
    showMessageBox(text);
}

void showMessageWith(const char* format, const char* text) {
    char message[512];
    std::snprintf(message, sizeof message, format, text ? text : "");
    showMessage(message);
}

int messagesShown() {
    return g_messagesShown.load();
}

PixelFormat pixelFormatFor(const WindowDesc& desc) {
    // 16 bits of colour are 5-6-5; anything else is 8-8-8. No alpha or stencil is asked for.
    const bool sixteen = desc.colorBits == 16;
    return PixelFormat{sixteen ? 5 : 8, sixteen ? 6 : 8, sixteen ? 5 : 8, 0, desc.depthBits, 0};
}

}  // namespace platform
