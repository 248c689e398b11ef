#include "archive/entry_name.h"

namespace rar {
namespace {

char foldNameChar(char c) {
    if (c == '\\' || c == '/') return '_';
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
    return c;
}

}  // namespace

bool entryNamesMatch(const char* requested, const char* stored) {
    for (;; ++requested, ++stored) {
        if (foldNameChar(*requested) != foldNameChar(*stored)) return false;
        if (*requested == '\0') return true;
    }
}

}  // namespace rar
