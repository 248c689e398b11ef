// startup.h - the production's start-up and shut-down.
#pragma once

// Runs once after the window and context exist. False after a message: the demo cannot run.
bool initDemo();
// Runs once after the main loop, before the window is destroyed.
void shutdownDemo();
