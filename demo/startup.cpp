#include "demo/startup.h"

bool initDemo() {
    return true;
}

void shutdownDemo() {}
