// startup.h - the production's start-up and shut-down.
#pragma once

#include "effects/quadric.h"  // g_quadric, which initDemo makes

// Fills ExtensionFlags and returns non-zero on failure, like initExtensions().
using ExtensionLoader = int (*)();

// Runs before the window opens: whether the data archive (Archive::dataPath()) opens and is
// a whole RAR archive. If not, shows one message naming the file and the reason ("no such
// file", "not a RAR archive", "damaged", ...) and returns false: without its archive the
// production would play empty and silent.
bool checkDataArchive();

// Runs once after the window and context exist: checks the extensions the production needs,
// sets the global OpenGL state, starts DevIL, loads every texture and object of the data
// archive and starts the music. False after a message: the demo cannot run. The loader is
// initExtensions() on the current context unless another is given.
bool initDemo(ExtensionLoader loadExtensions = nullptr);
// Runs once after the main loop, before the window is destroyed.
void shutdownDemo();
