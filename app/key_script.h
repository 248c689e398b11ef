// key_script.h - key presses replayed at set times of a real-time run.
//
// For runs that no one watches (the thread checks of make tsan): each key goes through the
// event queue as if the user had pressed it, so it takes the same path as a real one.
#pragma once

#include <string>
#include <vector>

struct ScriptedKey {
    double seconds = 0.0;  // after the run starts
    int key = 0;           // a platform::Key
};

// Reads "SECONDS:KEY,SECONDS:KEY,..." with KEY one of space, left, right, home and escape,
// and the times in order. False with a message in error for anything else.
bool parseKeyScript(const std::string& text, std::vector<ScriptedKey>& keys, std::string& error);

class KeyScript {
  public:
    explicit KeyScript(std::vector<ScriptedKey> keys) : keys_(std::move(keys)) {}

    // Posts every key whose time has come, `seconds` into the run.
    void postDue(double seconds);

  private:
    std::vector<ScriptedKey> keys_;
    size_t next_ = 0;
};
