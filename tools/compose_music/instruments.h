#pragma once
// The song's sounds, computed from waveforms: no recordings.

#include <vector>

#include "it_format.h"

namespace compose {

// Sample numbers as the patterns name them (1-based, as in the format).
enum Instrument : int {
    kKick = 1,
    kSnare,
    kHat,
    kCrash,
    kNoise,
    kBass,
    kLead,
    kPad,
    kPluck,
    kInstrumentCount = kPluck,
};

// All samples, in the order of the numbers above.
std::vector<Sample> makeInstruments();

}  // namespace compose
