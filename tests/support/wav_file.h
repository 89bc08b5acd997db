// Reading back a WAV file that an export wrote, whatever its sample format.
#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

namespace kc::testing_support {

struct WavFile {
    bool opened = false;  // false when the file could not be opened as a sound file
    SF_INFO info{};
    std::vector<double> samples;  // every frame of the (mono) file, as doubles
};

inline WavFile ReadWav(const std::string& path) {
    WavFile wav;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &wav.info);
    if (file == nullptr) {
        return wav;
    }
    wav.opened = true;
    wav.samples.resize(static_cast<std::size_t>(wav.info.frames));
    sf_read_double(file, wav.samples.data(), wav.info.frames);
    sf_close(file);
    return wav;
}

}  // namespace kc::testing_support
