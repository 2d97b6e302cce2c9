#pragma once
// Checks the written bytes before they leave the composer: players accept
// almost any damage without a word, so nothing else would notice.

#include <cstdint>
#include <string>
#include <vector>

#include "song.h"

namespace compose {

// Where the checker found each section to start, by walking the song as a
// player does (44.1 kHz, whole frames per tick).
struct Timing {
    std::vector<double> orderStarts;  // seconds
    double seconds = 0.0;
};

// Every problem found, in words; empty when the file is sound.
std::vector<std::string> checkSong(const Song& song, const std::vector<uint8_t>& bytes,
                                   Timing& timing);

}  // namespace compose
