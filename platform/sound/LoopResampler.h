#pragma once

#include "WavReader.h"

#include <cstddef>
#include <memory>
#include <vector>

struct soxr;

namespace Platform::Sound {

// Turns the samples of a WAV file into an endless, seamless loop at another sample
// rate. soxr (high quality, streaming) is fed the file's frames cyclically, so the
// output is the band-limited resampling of the infinitely repeated file: exactly
// periodic, at exactly the file's pitch, with no seam at the loop point.
//
// A file far above the output rate (tone files reach 2.2 MHz) would cost soxr most of its
// time filtering away what nobody hears. When the loop's length allows, it is therefore
// first decimated once, circularly, by an integer factor D that divides the loop: one
// period of L/D frames at rate/D, exactly periodic, which is then streamed as above.
// An integer ratio keeps the pitch exact; the intermediate rate stays above 2.2 times
// the output rate, so nothing audible is touched.
//
// Tone files have one channel, and so has the loop. Needs no sound server; the sound
// stream pulls from it on its own thread. Not thread-safe: one thread renders at a time.
class LoopResampler {
public:
    // The top of the band kept at full level, as a fraction of half the lower of the two
    // rates. Wider than soxr's usual 0.91, so that a 21.4 kHz tone (the highest the
    // settings can make) still sounds at full level on a 44.1 kHz server.
    static constexpr double PassbandEnd = 0.98;

    // Null when soxr refuses the rates. A file without samples renders silence.
    static std::unique_ptr<LoopResampler> create(std::shared_ptr<const WavData> wav, double outputRate);

    double outputRate() const { return rate; }
    // The decimation factor applied up front (1: none).
    unsigned decimation() const { return factor; }

    // Writes exactly frames frames to out.
    void render(float* out, std::size_t frames);

private:
    struct SoxrDeleter {
        void operator()(soxr* s) const;
    };
    using Soxr = std::unique_ptr<soxr, SoxrDeleter>;

    LoopResampler(std::shared_ptr<const WavData> wav, double outputRate);
    bool decimate(unsigned by);

    std::shared_ptr<const WavData> wav;
    double rate = 0;
    Soxr resampler;
    // The period fed round and round when it is not the file's own samples: decimated, or
    // for a short file several copies, so that soxr is fed in sizeable pieces.
    std::vector<float> own;
    unsigned factor = 1;
    const float* period = nullptr;
    std::size_t periodFrames = 0;
    std::size_t position = 0;
};

} // namespace Platform::Sound
