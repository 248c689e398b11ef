// arranger.h - a parsed score made into a module: instruments rendered into their slots,
// tracks into channels, phrases laid out into patterns, the order list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "music/xm_writer.h"
#include "tools/musicgen/score.h"

// Builds the whole module. False with a line-numbered message when the score names
// something that does not exist or does not fit (a track line longer than its pattern, a note
// transposed off the keyboard, ...).
bool arrange(const score::Score& score, xm::Module& out, std::string& error);

// Parses, arranges and serialises a score file: what the build runs.
bool generateModule(const std::string& scorePath, std::vector<uint8_t>& bytes, std::string& error);
