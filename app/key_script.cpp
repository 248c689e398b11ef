#include "app/key_script.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "platform/platform.h"

namespace {

struct KeyName {
    const char* name;
    int key;
};

constexpr KeyName kKeyNames[] = {
    {"space", platform::KeySpace}, {"left", platform::KeyLeft},     {"right", platform::KeyRight},
    {"home", platform::KeyHome},   {"escape", platform::KeyEscape},
};

int keyNamed(const std::string& name) {
    for (const KeyName& k : kKeyNames)
        if (name == k.name) return k.key;
    return platform::KeyUnknown;
}

}  // namespace

bool parseKeyScript(const std::string& text, std::vector<ScriptedKey>& keys, std::string& error) {
    keys.clear();
    std::istringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        const size_t colon = item.find(':');
        ScriptedKey k;
        char* end = nullptr;
        const std::string time = item.substr(0, colon);
        k.seconds = std::strtod(time.c_str(), &end);
        const bool timeOk = colon != std::string::npos && !time.empty() && *end == '\0' &&
                            std::isfinite(k.seconds) && k.seconds >= 0.0;
        if (!timeOk || (k.key = keyNamed(item.substr(colon + 1))) == platform::KeyUnknown) {
            error = "'" + item + "' is not SECONDS:KEY (keys: space, left, right, home, escape)";
            return false;
        }
        if (!keys.empty() && k.seconds < keys.back().seconds) {
            error = "'" + item + "' comes before the key ahead of it";
            return false;
        }
        keys.push_back(k);
    }
    if (keys.empty()) error = "no keys";
    return !keys.empty();
}

void KeyScript::postDue(double seconds) {
    for (; next_ < keys_.size() && keys_[next_].seconds <= seconds; ++next_) {
        platform::Event event;
        event.kind = platform::EventKind::KeyDown;
        event.key = keys_[next_].key;
        platform::postEvent(event);
    }
}
