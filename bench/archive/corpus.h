// corpus.h - the benchmark corpus: files every Debian machine has (licence texts, the package
// database, Perl's base modules, the packages' copyright files, program binaries and
// libraries), plus generated server logs, pictures and sound, so that anyone can rebuild it.
#pragma once

#include <string>
#include <vector>

namespace benchcorpus {

// Fills dir with the corpus unless it is already there; returns the files, in a fixed order.
// Files missing on this machine are left out with a note on standard error.
std::vector<std::string> ensureCorpus(const std::string& dir);

}  // namespace benchcorpus
