// Compares sound recorded from a sound server with libopenmpt's own render
// of the module, and finds when given moments of the music left the server:
// tev-test-sound-sync MODULE.it AUDIO.raw [STAMPS PROBE.log SINK_MS T...]
// AUDIO.raw is 16-bit stereo at 44100 Hz; its first sound is taken as the
// module's. Piece by piece (4 s each) the recording's envelope (the mean
// level over 2 ms) is cross-correlated with the render's: each piece must
// correlate by 0.9 or more, and lie where the first piece put the music,
// within 2 ms (a gap in the sound moves it). With STAMPS (tev-test-stamp-
// audio) and the log of tev-test-sync-probe, it also prints, for each show
// time T, how many milliseconds after the show clock read T the music's
// sample of T left the server for the monitor ("left"), and when it was
// heard: SINK_MS later, the latency of the sink, which takes each block of
// sound from the server that long before it plays it ("heard"); then the
// first frame drawn for a time past T. Exit status 1 when the sound does not
// match (the offsets are printed all the same).
//
// --server-gap FRAMES (first): one gap of exactly one period of the sound
// server's graph (FRAMES, within 2 ms) is taken as the server's own. A
// server that runs its graph in periods across processes (PipeWire) mixes
// silence for a stream whose process missed a period, as a virtual machine
// whose core is taken away for a moment makes it: the music then lies one
// period later from there on. The show's own underrun would have to outlast
// its half-second queue first, and rarely comes to exactly one period. The
// gap is named, the piece that holds it excused, and the offsets after it
// are given without it.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "module_audio.h"
#include "temp_dir.h"

namespace {

constexpr int kRate = 44100;
constexpr size_t kWindow = 88;          // frames in one envelope value: 2 ms
constexpr size_t kPieceWindows = 2000;  // 4 s
constexpr long kSearchWindows = 250;    // lags of up to half a second either way
constexpr double kMinCorrelation = 0.9;
constexpr double kMaxShiftMs = 2.0;

// Interleaved stereo to mono, the mean of the two channels.
std::vector<int16_t> mono(const std::vector<int16_t>& stereo) {
    std::vector<int16_t> out(stereo.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<int16_t>((stereo[2 * i] + stereo[2 * i + 1]) / 2);
    return out;
}

size_t firstSound(const std::vector<int16_t>& pcm) {
    return static_cast<size_t>(
        std::find_if(pcm.begin(), pcm.end(), [](int16_t s) { return s != 0; }) - pcm.begin());
}

std::vector<double> envelope(const std::vector<int16_t>& pcm, size_t from) {
    std::vector<double> env;
    for (size_t at = from; at + kWindow <= pcm.size(); at += kWindow) {
        double sum = 0;
        for (size_t i = 0; i < kWindow; ++i)
            sum += std::abs(pcm[at + i]);
        env.push_back(sum / kWindow);
    }
    return env;
}

// Pearson correlation of b[from, from + n) with a[from + lag, ...).
double correlation(const std::vector<double>& a, const std::vector<double>& b, long from, long n,
                   long lag) {
    double ma = 0, mb = 0;
    for (long i = from; i < from + n; ++i) {
        ma += a[i + lag];
        mb += b[i];
    }
    ma /= n;
    mb /= n;
    double sab = 0, saa = 0, sbb = 0;
    for (long i = from; i < from + n; ++i) {
        const double x = a[i + lag] - ma, y = b[i] - mb;
        sab += x * y;
        saa += x * x;
        sbb += y * y;
    }
    return saa > 0 && sbb > 0 ? sab / std::sqrt(saa * sbb) : 0.0;
}

struct Lag {
    double frames = 0;  // where the piece lies in the recording, past where expected
    double correlation = 0;
};

// The lag of the render's envelope piece [from, from + n) in the
// recording's, refined between windows by a parabola through the best three.
Lag pieceLag(const std::vector<double>& recorded, const std::vector<double>& rendered, long from,
             long n) {
    long best = 0;
    double bestC = -2;
    std::vector<double> c(2 * kSearchWindows + 1, -2);
    for (long lag = -kSearchWindows; lag <= kSearchWindows; ++lag) {
        if (from + lag < 0 || from + lag + n > static_cast<long>(recorded.size())) continue;
        c[lag + kSearchWindows] = correlation(recorded, rendered, from, n, lag);
        if (c[lag + kSearchWindows] > bestC) {
            bestC = c[lag + kSearchWindows];
            best = lag;
        }
    }
    double fine = best;
    if (best > -kSearchWindows && best < kSearchWindows) {
        const double l = c[best - 1 + kSearchWindows], m = c[best + kSearchWindows],
                     r = c[best + 1 + kSearchWindows];
        const double d = l - 2 * m + r;
        if (l > -2 && r > -2 && d < 0) fine += 0.5 * (l - r) / d;
    }
    return {fine * kWindow, bestC};
}

struct Stamp {
    int64_t ns;
    int64_t frames;  // frames received by then
};

// The earliest moment consistent with every read that held frame `n`:
// frame n left the server no later than any read ending at frame e,
// less the (e - n) frames it came before.
double leftServerAt(const std::vector<Stamp>& stamps, double n) {
    double best = 1e300;
    for (const Stamp& s : stamps) {
        if (s.frames < n || s.frames > n + kRate) continue;
        best = std::min(best, s.ns - (s.frames - n) * 1e9 / kRate);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    double serverPeriod = 0;  // frames; 0: no gap is the server's
    if (argc > 2 && std::string(argv[1]) == "--server-gap") {
        serverPeriod = std::atof(argv[2]);
        argv[2] = argv[0];
        argv += 2;
        argc -= 2;
    }
    if (argc < 3 || (argc > 3 && argc < 7)) {
        std::fprintf(stderr,
                     "usage: tev-test-sound-sync [--server-gap FRAMES] MODULE.it AUDIO.raw "
                     "[STAMPS PROBE.log SINK_MS T...]\n");
        return 2;
    }
    // The module as the show plays it, and the recording, both mono.
    const std::vector<uint8_t> module = tev::test::readFile(argv[1]);
    const std::vector<int16_t> rendered =
        mono(tev::test::renderModule(module.data(), module.size()));
    const std::vector<int16_t> recorded = mono(tev::test::readPcm(argv[2]));
    const size_t r0 = firstSound(rendered), w0 = firstSound(recorded);
    if (r0 == rendered.size() || w0 == recorded.size()) {
        std::fprintf(stderr, "no sound in %s\n", w0 == recorded.size() ? argv[2] : argv[1]);
        return 1;
    }
    // Both envelopes start at the first sound, so a lag of 0 is where the
    // recording holds the music when nothing came between.
    const std::vector<double> envRendered = envelope(rendered, r0);
    const std::vector<double> envRecorded = envelope(recorded, w0);
    const long pieces =
        static_cast<long>(std::min(envRendered.size(), envRecorded.size())) / kPieceWindows - 1;
    if (pieces < 1) {
        std::fprintf(stderr, "less than 8 s of music recorded\n");
        return 1;
    }
    std::vector<Lag> lags;
    for (long p = 0; p < pieces; ++p)
        lags.push_back(pieceLag(envRecorded, envRendered, p * kPieceWindows, kPieceWindows));
    auto fits = [](const Lag& lag, double expected) {
        return lag.correlation >= kMinCorrelation &&
               std::abs(lag.frames - expected) * 1000.0 / kRate <= kMaxShiftMs;
    };
    // Where each piece lies in the recording past its first sound.
    std::vector<double> at;
    for (const Lag& lag : lags)
        at.push_back(lag.frames);
    // The server's gap: the first piece that does not lie where expected,
    // with the next one where it would after one period of silence. Those
    // after it are measured on the recording's envelope taken a period
    // later, whose windows fall as the render's do again.
    long gapPiece = pieces;
    double gapFrames = 0;
    for (long p = 0; serverPeriod > 0 && p + 1 < pieces; ++p) {
        if (fits(lags[p], lags.front().frames)) continue;
        const size_t period = static_cast<size_t>(std::lround(serverPeriod));
        const std::vector<double> envLater = envelope(recorded, w0 + period);
        const Lag next = pieceLag(envLater, envRendered, (p + 1) * kPieceWindows, kPieceWindows);
        if (!fits(next, lags.front().frames)) break;
        gapPiece = p;
        gapFrames = static_cast<double>(period) + next.frames - lags.front().frames;
        std::printf("the server put %.1f ms of silence into the music at %ld-%ld s\n",
                    gapFrames * 1000.0 / kRate, p * 4, p * 4 + 4);
        for (long q = p + 1; q < pieces; ++q) {
            lags[q] = pieceLag(envLater, envRendered, q * kPieceWindows, kPieceWindows);
            at[q] = static_cast<double>(period) + lags[q].frames;
        }
        break;
    }
    int bad = 0;
    for (long p = 0; p < pieces; ++p) {
        const Lag& lag = lags[p];
        const double shiftMs = (lag.frames - lags.front().frames) * 1000.0 / kRate;
        const bool ok = p == gapPiece || fits(lag, lags.front().frames);
        if (!ok && bad++ < 10) {
            std::fprintf(stderr, "music at %ld-%ld s: correlation %.3f, moved by %.1f ms\n", p * 4,
                         p * 4 + 4, lag.correlation, shiftMs);
        }
    }
    double worst = 1;
    for (long p = 0; p < pieces; ++p)
        if (p != gapPiece) worst = std::min(worst, lags[p].correlation);
    if (bad > 0) {
        std::fprintf(stderr, "%d of %ld pieces of 4 s do not match the render\n", bad, pieces);
    } else {
        std::printf("%ld pieces of 4 s match the render (lowest correlation %.3f)\n", pieces,
                    worst);
    }
    if (argc == 3) return bad > 0 ? 1 : 0;

    std::vector<Stamp> stamps;
    {
        std::ifstream in(argv[3]);
        long long ns, bytes;
        while (in >> ns >> bytes)
            stamps.push_back({ns, bytes / 4});
    }
    long long origin = 0;
    std::vector<std::pair<long long, double>> frames;
    {
        std::ifstream in(argv[4]);
        std::string word;
        while (in >> word) {
            if (word == "origin") {
                in >> origin;
            } else if (word == "frame") {
                long long ns;
                double t;
                in >> ns >> t;
                frames.emplace_back(ns, t);
            } else {
                in >> word;  // setup-end
            }
        }
    }
    if (stamps.empty() || origin == 0) {
        std::fprintf(stderr, "no arrival stamps or no clock origin\n");
        return 1;
    }
    // The server's clock against ours: the time between two samples 8 s
    // from either end of the music, against their distance at 44100 Hz.
    const double n1 = w0 + 8.0 * kRate, n2 = w0 + pieces * 4.0 * kRate - 8.0 * kRate;
    if (n2 > n1) {
        const double took = leftServerAt(stamps, n2) - leftServerAt(stamps, n1);
        const double should = (n2 - n1) * 1e9 / kRate;
        std::printf("the server played %.1f s of music in %.4f s of the system clock (%+.0f ppm)\n",
                    should / 1e9, took / 1e9, (should - took) / took * 1e6);
    }
    const double sinkMs = std::atof(argv[5]);
    for (int a = 6; a < argc; ++a) {
        const double t = std::atof(argv[a]);
        const double sample = t * kRate;  // the module's sample of show time t
        const long piece =
            std::clamp(static_cast<long>((sample - r0) / kWindow / kPieceWindows), 0L, pieces - 1);
        const double n = w0 + (sample - r0) + at[piece];
        // Past the server's gap the music leaves it that much later.
        const double left =
            leftServerAt(stamps, n) - (piece > gapPiece ? gapFrames : 0) * 1e9 / kRate;
        if (left > 1e299) {
            std::fprintf(stderr, "no arrival stamp after %.3f s of music\n", t);
            return 1;
        }
        const double heard = left + sinkMs * 1e6;
        // The first frame drawn for a time past t, and when it was done.
        double past = -1, pastDoneMs = 0;
        for (const auto& frame : frames) {
            if (frame.second > t) {
                past = frame.second;
                pastDoneMs = (frame.first - heard) / 1e6;
                break;
            }
        }
        const double clock = origin + t * 1e9;
        std::printf(
            "t %.3f: left %+.1f ms, heard %+.1f ms after the clock read it; "
            "the first frame past it (t %.3f) done %+.1f ms after it was heard\n",
            t, (left - clock) / 1e6, (heard - clock) / 1e6, past, pastDoneMs);
    }
    return bad > 0 ? 1 : 0;
}
