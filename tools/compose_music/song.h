#pragma once
// The show's piece: a 130.5 s song in A minor at 120 beats per minute,
// whose sections change where the pictures do.

#include <string>
#include <vector>

#include "it_format.h"

namespace compose {

struct Section {
    std::string name;
    int row;         // first row in the song
    int order;       // the order that starts it
    double seconds;  // planned start time
};

struct Song {
    Module module;
    std::vector<Section> sections;
    int rows = 0;  // rows played from start to end
    double seconds = 0.0;
};

Song composeSong();

}  // namespace compose
