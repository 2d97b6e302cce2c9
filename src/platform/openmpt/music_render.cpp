#include "platform/music_render.h"

#include <algorithm>

#include "platform/openmpt/module_decoder.h"

namespace tev::platform {

static_assert(MusicRender::kRate == kSongRate && MusicRender::kChannels == kSongChannels);

namespace {
constexpr uint64_t kPiece = 1024;  // frames the live output asks for at a time
}  // namespace

struct MusicRender::Song {
    ModulePointer module;
};

MusicRender::MusicRender(std::unique_ptr<Song> song) : song_(std::move(song)) {}
MusicRender::~MusicRender() = default;

std::unique_ptr<MusicRender> MusicRender::create(const void* data, uint32_t size) {
    ModulePointer module = openSong(data, size);
    if (!module) return nullptr;
    auto song = std::make_unique<Song>();
    song->module = std::move(module);
    return std::unique_ptr<MusicRender>(new MusicRender(std::move(song)));
}

void MusicRender::render(size_t frames, std::vector<int16_t>& out) {
    const size_t start = out.size();
    out.resize(start + frames * kChannels, 0);  // what the song leaves stays silent
    size_t done = 0;
    while (!ended_ && done < frames) {
        // libopenmpt's last bits depend on how the song is read in pieces:
        // always read the live output's 1024-frame pieces, counted from the
        // song's start, so that any mix of renders and skips gives the
        // samples of one render from the start.
        const uint64_t at = position_ + done;
        const size_t piece = std::min<size_t>(frames - done, kPiece - at % kPiece);
        const size_t got = openmpt_module_read_interleaved_stereo(
            song_->module.get(), kRate, piece, out.data() + start + done * kChannels);
        if (got == 0) ended_ = true;
        done += got;
    }
    position_ += frames;
}

void MusicRender::skip(size_t frames) {
    std::vector<int16_t> scratch;
    scratch.reserve(std::min<size_t>(frames, 1 << 16) * kChannels);
    while (frames > 0) {
        const size_t piece = std::min<size_t>(frames, 1 << 16);
        scratch.clear();
        render(piece, scratch);
        frames -= piece;
    }
}

double MusicRender::songSeconds() const {
    return openmpt_module_get_duration_seconds(song_->module.get());
}

}  // namespace tev::platform
