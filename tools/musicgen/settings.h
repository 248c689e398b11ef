// settings.h - typed access to an instrument's key=value settings, with line-numbered errors.
//
// Each voice reads the settings it understands, giving a default and a range; whatever is
// left unread at the end is a misspelling or a setting the kind does not have, and is
// reported as such.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "tools/musicgen/score.h"

class Settings {
  public:
    Settings(const score::InstrumentDef& def, const std::string& file);

    bool has(const char* key) const;
    // A number in [min, max]; the fallback when the setting is absent.
    double number(const char* key, double fallback, double min, double max);
    // One of the allowed words.
    std::string word(const char* key, const char* fallback,
                     std::initializer_list<const char*> allowed);
    // Free text (labels).
    std::string text(const char* key, const std::string& fallback);
    // Comma-separated numbers, each in [min, max]; the fallback when absent.
    std::vector<double> list(const char* key, const std::vector<double>& fallback, double min,
                             double max);
    // A note name such as C-4, as a tracker note number.
    int note(const char* key, int fallback);
    // Raw text of a setting for formats of their own (envelopes), with fail() for errors.
    const score::Setting* raw(const char* key);
    bool fail(const score::Setting& setting, const std::string& message);

    // False once any read failed; error() says where and why.
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    // Reports the first setting nobody read. False if there was one (or an earlier error).
    bool finish();

    const score::InstrumentDef& def() const { return def_; }

  private:
    const score::Setting* find(const char* key);

    const score::InstrumentDef& def_;
    std::string file_;
    std::vector<bool> used_;
    std::string error_;
};
