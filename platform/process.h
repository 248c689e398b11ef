// process.h - running another program with pipes to its inputs.
//
// The video export hands its frames and its sound to an encoder program through two pipes, so
// nothing passes through temporary files. The one backend today is POSIX (process_posix.cpp).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

struct Process;  // opaque, owned by the backend

// Where an executable of that name is found on the search path; empty when nowhere.
std::string findExecutable(const char* name);

// Starts argv[0] (looked up on the search path) with `inputs` pipes: the child reads pipe i
// as its standard input for i = 0 and as file descriptor i + 2 for i >= 1 (3, 4, ...). Its
// standard output and error stay the caller's. The child does not receive the terminal's
// interrupt (Ctrl-C reaches only this program, which decides what to do). Null, with the
// reason in error, when it cannot be started.
Process* startProcess(const std::vector<std::string>& argv, int inputs, std::string& error);

// Writes the bytes to input pipe `index`, keeping every other pipe's pending bytes flowing
// meanwhile (so a child that reads its inputs in its own order cannot stall both sides), and
// returns once no more than `mayStayPending` bytes of this pipe wait in memory: a child that
// must read ahead on another pipe before it takes more of this one then gets the chance.
// False when the child has closed the pipe or ended.
bool writeToProcess(Process* process, int index, const void* data, size_t size,
                    size_t mayStayPending = 0);
// Hands the bytes to pipe `index` without waiting: what the pipe does not take now stays
// pending in memory and flows during later writes (or at the finish). For a small stream
// that must never hold up a large one: the child may read it only after much of the other.
bool queueForProcess(Process* process, int index, const void* data, size_t size);

// Closes every input pipe, waits for the child to end and releases everything. Returns its
// exit status, or -1 when it did not exit normally (a signal).
int finishProcess(Process* process);

// Ends the child at once, waits for it and releases everything. Accepts null.
void killProcess(Process* process);

// True once the user has pressed Ctrl-C (or the program was asked to stop) since
// watchInterrupt(true); the program then stops at a safe point instead of dying mid-write.
void watchInterrupt(bool on);
bool interruptRequested();

}  // namespace platform
