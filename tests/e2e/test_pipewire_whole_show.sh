#!/usr/bin/env bash
# The whole show through PipeWire's PulseAudio server (a private PipeWire
# with WirePlumber and pipewire-pulse, a null sink): as through PulseAudio,
# the music recorded is the module's render and picture and sound meet
# within one frame at 60 Hz at 1, 60 and 109.5 s. PipeWire reports no
# latency for the show's stream, so the show falls back to the buffer it
# asked for.
TEV_SOUND_SERVER=pipewire exec bash "$(dirname "$0")/test_pulse_whole_show.sh" "$@"
