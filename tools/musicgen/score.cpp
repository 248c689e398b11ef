// score.cpp - reading the score text: lines, words, steps and items.
#include "tools/musicgen/score.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "music/xm_writer.h"

namespace score {

std::string where(const std::string& file, int line, const std::string& message) {
    return file + ":" + std::to_string(line) + ": " + message;
}

namespace {

template <typename T>
const T* findByName(const std::vector<T>& list, const std::string& name) {
    for (const T& t : list) {
        if (t.name == name) return &t;
    }
    return nullptr;
}

bool isIdentifier(const std::string& s) {
    if (s.empty() || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_')) {
        return false;
    }
    for (char c : s) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    }
    return true;
}

// Whole decimal number in [min, max].
bool readInt(const std::string& s, int min, int max, int& out) {
    if (s.empty() || s.size() > 9) return false;
    for (char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    const int v = std::atoi(s.c_str());
    if (v < min || v > max) return false;
    out = v;
    return true;
}

// Words of one line, without its comment. Double quotes group words and are dropped.
bool splitWords(const std::string& line, std::vector<std::string>& words, std::string& error) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        if (line[i] == '#') break;  // a comment starts a word
        std::string word;
        bool quoted = false;
        while (i < line.size() && (quoted || !std::isspace(static_cast<unsigned char>(line[i])))) {
            if (line[i] == '"') {
                quoted = !quoted;
            } else {
                word += line[i];
            }
            ++i;
        }
        if (quoted) {
            error = "a quotation is not closed";
            return false;
        }
        words.push_back(word);
    }
    return true;
}

bool effectNumber(char letter, uint8_t& out) {
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (c >= '0' && c <= '9') {
        out = static_cast<uint8_t>(c - '0');
        return true;
    }
    if (c >= 'A' && c <= 'F') {
        out = static_cast<uint8_t>(c - 'A' + 10);
        return true;
    }
    static const struct {
        char letter;
        uint8_t number;
    } kHigh[] = {{'G', 0x10}, {'H', 0x11}, {'K', 0x14}, {'L', 0x15},
                 {'P', 0x19}, {'R', 0x1B}, {'T', 0x1D}, {'X', 0x21}};
    for (const auto& h : kHigh) {
        if (h.letter == c) {
            out = h.number;
            return true;
        }
    }
    return false;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Index of the first of `stops` in s from `from`, or s.size().
size_t until(const std::string& s, size_t from, const char* stops) {
    const size_t at = s.find_first_of(stops, from);
    return at == std::string::npos ? s.size() : at;
}

std::string headOf(const std::string& token) {
    return token.substr(0, until(token, 0, "@:+*"));
}

bool isStepHead(const std::string& head) {
    if (head == "x" || head == "off" || head == "===") return true;
    const uint8_t n = xm::note(head.c_str());
    return n >= 1 && n <= 96;
}

// A step token: `.`, `.N`, or a head (note, x, off) and suffixes, then `*N`. Appends the
// steps it stands for.
bool parseStep(const std::string& token, std::vector<Step>& out, std::string& error) {
    if (token[0] == '.') {
        int count = 1;
        if (token.size() > 1 && !readInt(token.substr(1), 1, xm::kMaxRows, count)) {
            error = "'" + token + "' is not a rest: '.' or '.N' with N from 1 to 256";
            return false;
        }
        out.insert(out.end(), static_cast<size_t>(count), Step{});
        return true;
    }
    Step step;
    const std::string head = headOf(token);
    if (head == "x") {
        step.ownPitch = true;
    } else if (head == "off" || head == "===") {
        step.note = xm::kKeyOff;
    } else if (!head.empty()) {
        const uint8_t n = xm::note(head.c_str());
        if (n < 1 || n > 96) {
            error = "'" + head + "' is not a note (C-0 to B-7, such as C-4 or F#2), x, off or .";
            return false;
        }
        step.note = n;
    }
    int repeat = 1;
    size_t i = head.size();
    while (i < token.size()) {
        const char mark = token[i];
        const size_t end = until(token, i + 1, "@:+*");
        const std::string value = token.substr(i + 1, end - i - 1);
        if (mark == '@') {
            if (!isIdentifier(value)) {
                error = "'" + token + "': '@' wants an instrument name";
                return false;
            }
            step.instrument = value;
        } else if (mark == ':') {
            if (!readInt(value, 0, 64, step.volume)) {
                error = "'" + token + "': the volume after ':' runs from 0 to 64";
                return false;
            }
        } else if (mark == '+') {
            if (value.size() != 3 || !effectNumber(value[0], step.effect) ||
                hexDigit(value[1]) < 0 || hexDigit(value[2]) < 0) {
                error = "'" + token +
                        "': an effect is a command letter and two hex digits, such as +A04";
                return false;
            }
            step.param = static_cast<uint8_t>(hexDigit(value[1]) * 16 + hexDigit(value[2]));
            step.hasEffect = true;
        } else {  // '*'
            if (end != token.size() || !readInt(value, 1, xm::kMaxRows, repeat)) {
                error = "'" + token + "': '*N' comes last, with N from 1 to 256";
                return false;
            }
        }
        i = end;
    }
    if (step.empty() && step.instrument.empty()) {
        error = "'" + token + "' is not a step";
        return false;
    }
    if (!step.note && !step.ownPitch && !step.instrument.empty()) {
        error = "'" + token + "': an instrument needs a note to strike";
        return false;
    }
    out.insert(out.end(), static_cast<size_t>(repeat), step);
    return true;
}

bool isStepToken(const std::string& token) {
    const char c = token[0];
    return c == '.' || c == ':' || c == '+' || isStepHead(headOf(token));
}

// A phrase reference with its changes: NAME[@inst][+N|-N][%P][*K], changes in any order.
bool parseItem(const std::string& token, Item& item, std::string& error) {
    const size_t nameEnd = until(token, 0, "@+-%*");
    item.phrase = token.substr(0, nameEnd);
    if (!isIdentifier(item.phrase)) {
        error = "'" + token + "' is neither a step nor a phrase";
        return false;
    }
    size_t i = nameEnd;
    while (i < token.size()) {
        const char mark = token[i];
        const size_t end = until(token, i + 1, "@+-%*");
        const std::string value = token.substr(i + 1, end - i - 1);
        bool ok = true;
        if (mark == '@') {
            ok = isIdentifier(value);
            item.instrument = value;
        } else if (mark == '+' || mark == '-') {
            ok = readInt(value, 0, 95, item.transpose);
            if (mark == '-') item.transpose = -item.transpose;
        } else if (mark == '%') {
            ok = readInt(value, 0, 400, item.volumePercent);
        } else {
            ok = readInt(value, 1, xm::kMaxRows, item.repeat);
        }
        if (!ok) {
            error = "'" + token +
                    "': a phrase takes @instrument, +N or -N semitones, %volume (0..400) and "
                    "*repeats";
            return false;
        }
        i = end;
    }
    return true;
}

class Parser {
  public:
    Parser(Score& score, std::string& error) : score_(score), error_(error) {}

    bool line(int lineNumber, const std::vector<std::string>& words, bool continued) {
        line_ = lineNumber;
        if (continued) {
            if (block_ == Block::None) {
                return fail("an indented line continues a directive; there is none above it");
            }
            return continuation(words);
        }
        block_ = Block::None;
        const std::string& d = words[0];
        const std::vector<std::string> args(words.begin() + 1, words.end());
        if (d == "title") return title(args);
        if (d == "tempo") return number(args, "tempo", 32, 255, score_.tempo);
        if (d == "speed") return number(args, "speed", 1, 31, score_.speed);
        if (d == "rows") return number(args, "rows", 1, xm::kMaxRows, score_.rows);
        if (d == "instrument") return instrument(args);
        if (d == "track") return track(args);
        if (d == "phrase") return phrase(args);
        if (d == "pattern") return pattern(args);
        if (d == "order") {
            block_ = Block::Order;
            return orders(args);
        }
        return fail("unknown directive '" + d +
                    "' (title, tempo, speed, rows, instrument, track, phrase, pattern, order)");
    }

  private:
    enum class Block { None, Instrument, Phrase, Pattern, Order };

    bool fail(const std::string& message) {
        error_ = where(score_.file, line_, message);
        return false;
    }

    bool continuation(const std::vector<std::string>& words) {
        switch (block_) {
            case Block::Instrument:
                return settings(words, score_.instruments.back());
            case Block::Phrase:
                return steps(words, score_.phrases.back().steps);
            case Block::Pattern:
                return trackLine(words, score_.patterns.back());
            case Block::Order:
                return orders(words);
            case Block::None:
                break;
        }
        return false;
    }

    bool title(const std::vector<std::string>& args) {
        if (args.size() != 1) return fail("title wants one text (quote it if it has spaces)");
        if (args[0].size() > 20) return fail("the title holds at most 20 characters");
        score_.title = args[0];
        return true;
    }

    bool number(const std::vector<std::string>& args, const char* what, int min, int max,
                int& out) {
        if (args.size() != 1 || !readInt(args[0], min, max, out)) {
            return fail(std::string(what) + " wants one number from " + std::to_string(min) +
                        " to " + std::to_string(max));
        }
        return true;
    }

    bool newName(const std::string& name, const char* what) {
        if (!isIdentifier(name)) {
            return fail("'" + name + "' is not a name for a " + what +
                        " (letters, digits and _, not starting with a digit)");
        }
        return true;
    }

    bool instrument(const std::vector<std::string>& args) {
        if (args.size() < 3) return fail("instrument wants a slot, a name, a kind and settings");
        InstrumentDef def;
        def.line = line_;
        if (!readInt(args[0], 0, kMaxSlots - 1, def.slot)) {
            return fail("instrument slot '" + args[0] + "' is not a number from 0 to 127");
        }
        if (def.slot == kReservedSlot) {
            return fail(
                "slot 50 is the demo's combined accent slot (44 and 45); no instrument "
                "may take it");
        }
        for (const InstrumentDef& other : score_.instruments) {
            if (other.slot == def.slot) {
                return fail("slot " + args[0] + " is taken by '" + other.name + "' (line " +
                            std::to_string(other.line) + ")");
            }
        }
        def.name = args[1];
        if (!newName(def.name, "instrument")) return false;
        if (score_.findInstrument(def.name)) {
            return fail("instrument '" + def.name + "' is defined twice");
        }
        def.kind = args[2];
        score_.instruments.push_back(def);
        block_ = Block::Instrument;
        return settings(std::vector<std::string>(args.begin() + 3, args.end()),
                        score_.instruments.back());
    }

    bool settings(const std::vector<std::string>& words, InstrumentDef& def) {
        for (const std::string& w : words) {
            const size_t eq = w.find('=');
            if (eq == std::string::npos || eq == 0 || eq + 1 == w.size()) {
                return fail("'" + w + "' is not a setting (key=value)");
            }
            def.settings.push_back({w.substr(0, eq), w.substr(eq + 1), line_});
        }
        return true;
    }

    bool track(const std::vector<std::string>& args) {
        if (args.empty()) return fail("track wants a name");
        TrackDef def;
        def.line = line_;
        def.name = args[0];
        if (!newName(def.name, "track")) return false;
        if (score_.findTrack(def.name)) return fail("track '" + def.name + "' is defined twice");
        for (size_t i = 1; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a.rfind("echo=", 0) == 0) {
                if (!echo(a.substr(5), def)) return false;
            } else if (a.rfind("pan=", 0) == 0) {
                if (!readInt(a.substr(4), 0, 255, def.pan)) {
                    return fail("track " + def.name + ": pan= wants a number from 0 to 255");
                }
            } else if (isIdentifier(a) && def.instrument.empty()) {
                def.instrument = a;
            } else {
                return fail("track " + def.name + ": '" + a +
                            "' is neither its instrument, echo=TRACK:ROWS:PERCENT nor pan=N");
            }
        }
        score_.tracks.push_back(def);
        return true;
    }

    bool echo(const std::string& text, TrackDef& def) {
        const size_t a = text.find(':');
        const size_t b = a == std::string::npos ? a : text.find(':', a + 1);
        if (b == std::string::npos || !isIdentifier(text.substr(0, a)) ||
            !readInt(text.substr(a + 1, b - a - 1), 1, xm::kMaxRows - 1, def.echoDelay) ||
            !readInt(text.substr(b + 1), 0, 100, def.echoPercent)) {
            return fail("echo=TRACK:ROWS:PERCENT, such as echo=lead:3:50");
        }
        def.echoOf = text.substr(0, a);
        return true;
    }

    bool phrase(const std::vector<std::string>& args) {
        if (args.empty() || args.size() > 2)
            return fail("phrase wants a name and may name an @instrument");
        PhraseDef def;
        def.line = line_;
        def.name = args[0];
        if (!newName(def.name, "phrase")) return false;
        if (def.name.size() < 2 || isStepHead(def.name)) {
            return fail("phrase name '" + def.name +
                        "' reads as a step; use at least two characters and no note name");
        }
        if (score_.findPhrase(def.name)) return fail("phrase '" + def.name + "' is defined twice");
        if (args.size() == 2) {
            if (args[1].size() < 2 || args[1][0] != '@' || !isIdentifier(args[1].substr(1))) {
                return fail("phrase " + def.name + ": '" + args[1] + "' is not @instrument");
            }
            def.instrument = args[1].substr(1);
        }
        score_.phrases.push_back(def);
        block_ = Block::Phrase;
        return true;
    }

    bool steps(const std::vector<std::string>& words, std::vector<Step>& out) {
        for (const std::string& w : words) {
            std::string why;
            if (!parseStep(w, out, why)) return fail(why);
        }
        return true;
    }

    bool pattern(const std::vector<std::string>& args) {
        PatternDef def;
        def.line = line_;
        if (args.size() != 1 && !(args.size() == 3 && args[1] == "from")) {
            return fail("pattern wants a name, optionally followed by 'from OTHER'");
        }
        def.name = args[0];
        if (!newName(def.name, "pattern")) return false;
        if (score_.findPattern(def.name)) {
            return fail("pattern '" + def.name + "' is defined twice");
        }
        if (args.size() == 3) {
            if (!score_.findPattern(args[2])) {
                return fail("pattern " + def.name + " starts from '" + args[2] +
                            "', which is not defined above it");
            }
            def.base = args[2];
        }
        score_.patterns.push_back(def);
        block_ = Block::Pattern;
        return true;
    }

    bool trackLine(const std::vector<std::string>& words, PatternDef& def) {
        TrackLine tl;
        tl.line = line_;
        tl.track = words[0];
        for (const TrackLine& other : def.lines) {
            if (other.track == tl.track) {
                return fail("track '" + tl.track + "' already has a line in pattern " + def.name);
            }
        }
        int layer = 0;
        for (size_t i = 1; i < words.size(); ++i) {
            if (words[i] == "&") {
                ++layer;
                continue;
            }
            Item item;
            item.line = line_;
            item.layer = layer;
            std::string why;
            if (isStepToken(words[i])) {
                if (!parseStep(words[i], item.steps, why)) return fail(why);
                // Steps in a row join one item, so that their rows stay together.
                if (!tl.items.empty() && tl.items.back().phrase.empty() &&
                    tl.items.back().layer == layer) {
                    std::vector<Step>& into = tl.items.back().steps;
                    into.insert(into.end(), item.steps.begin(), item.steps.end());
                    continue;
                }
            } else if (!parseItem(words[i], item, why)) {
                return fail(why);
            }
            tl.items.push_back(item);
        }
        def.lines.push_back(tl);
        return true;
    }

    bool orders(const std::vector<std::string>& names) {
        for (const std::string& n : names) {
            if (!isIdentifier(n)) return fail("'" + n + "' is not a pattern name");
            score_.orders.push_back({n, line_});
        }
        return true;
    }

    Score& score_;
    std::string& error_;
    Block block_ = Block::None;
    int line_ = 0;
};

}  // namespace

const InstrumentDef* Score::findInstrument(const std::string& name) const {
    return findByName(instruments, name);
}
const TrackDef* Score::findTrack(const std::string& name) const {
    return findByName(tracks, name);
}
const PhraseDef* Score::findPhrase(const std::string& name) const {
    return findByName(phrases, name);
}
const PatternDef* Score::findPattern(const std::string& name) const {
    return findByName(patterns, name);
}

bool parse(const std::string& text, const std::string& file, Score& out, std::string& error) {
    out = Score{};
    out.file = file;
    Parser parser(out, error);
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    std::vector<std::string> words;
    while (std::getline(in, raw)) {
        ++number;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        std::string why;
        if (!splitWords(raw, words, why)) {
            error = where(file, number, why);
            return false;
        }
        if (words.empty()) continue;
        const bool continued = std::isspace(static_cast<unsigned char>(raw[0])) != 0;
        if (!parser.line(number, words, continued)) return false;
    }
    if (out.orders.empty()) {
        error = where(file, number, "the score has no order list ('order PATTERN ...')");
        return false;
    }
    return true;
}

bool parseFile(const std::string& path, Score& out, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parse(text, path, out, error);
}

}  // namespace score
