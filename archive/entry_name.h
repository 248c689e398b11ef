// entry_name.h - how a requested name finds an entry: case-insensitive for ASCII letters,
// with '\', '/' and '_' interchangeable, over the whole stored path.
#pragma once

namespace rar {

bool entryNamesMatch(const char* requested, const char* stored);

}  // namespace rar
