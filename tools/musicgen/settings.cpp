// settings.cpp - reading and checking instrument settings.
#include "tools/musicgen/settings.h"

#include <cstdlib>
#include <sstream>

#include "music/xm_writer.h"

Settings::Settings(const score::InstrumentDef& def, const std::string& file)
    : def_(def), file_(file), used_(def.settings.size(), false) {}

const score::Setting* Settings::find(const char* key) {
    // The last one written wins, so a continuation line can override.
    for (size_t i = def_.settings.size(); i-- > 0;) {
        if (def_.settings[i].key == key) {
            for (size_t j = 0; j < def_.settings.size(); ++j) {
                if (def_.settings[j].key == key) used_[j] = true;
            }
            return &def_.settings[i];
        }
    }
    return nullptr;
}

bool Settings::has(const char* key) const {
    for (const score::Setting& s : def_.settings) {
        if (s.key == key) return true;
    }
    return false;
}

bool Settings::fail(const score::Setting& setting, const std::string& message) {
    if (error_.empty()) {
        error_ = score::where(
            file_, setting.line,
            "instrument " + def_.name + ": " + setting.key + "=" + setting.value + ": " + message);
    }
    return false;
}

const score::Setting* Settings::raw(const char* key) {
    return find(key);
}

namespace {

bool readNumber(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end && *end == '\0';
}

std::string range(double min, double max) {
    std::ostringstream s;
    s << "from " << min << " to " << max;
    return s.str();
}

}  // namespace

double Settings::number(const char* key, double fallback, double min, double max) {
    const score::Setting* s = find(key);
    if (!s) return fallback;
    double v = 0.0;
    if (!readNumber(s->value, v) || v < min || v > max) {
        fail(*s, "wants a number " + range(min, max));
        return fallback;
    }
    return v;
}

std::string Settings::word(const char* key, const char* fallback,
                           std::initializer_list<const char*> allowed) {
    const score::Setting* s = find(key);
    if (!s) return fallback;
    std::string choices;
    for (const char* a : allowed) {
        if (s->value == a) return s->value;
        choices += choices.empty() ? a : std::string(", ") + a;
    }
    fail(*s, "wants one of " + choices);
    return fallback;
}

std::string Settings::text(const char* key, const std::string& fallback) {
    const score::Setting* s = find(key);
    return s ? s->value : fallback;
}

std::vector<double> Settings::list(const char* key, const std::vector<double>& fallback, double min,
                                   double max) {
    const score::Setting* s = find(key);
    if (!s) return fallback;
    std::vector<double> out;
    std::stringstream in(s->value);
    std::string part;
    while (std::getline(in, part, ',')) {
        double v = 0.0;
        if (!readNumber(part, v) || v < min || v > max) {
            fail(*s, "wants comma-separated numbers " + range(min, max));
            return fallback;
        }
        out.push_back(v);
    }
    if (out.empty()) {
        fail(*s, "wants at least one number");
        return fallback;
    }
    return out;
}

int Settings::note(const char* key, int fallback) {
    const score::Setting* s = find(key);
    if (!s) return fallback;
    const int n = xm::note(s->value.c_str());
    if (n < 1 || n > 96) {
        fail(*s, "wants a note from C-0 to B-7, such as C-4");
        return fallback;
    }
    return n;
}

bool Settings::finish() {
    if (!ok()) return false;
    for (size_t i = 0; i < used_.size(); ++i) {
        if (!used_[i]) {
            return fail(def_.settings[i], "kind " + def_.kind + " has no such setting");
        }
    }
    return true;
}
