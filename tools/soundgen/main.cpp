// vorne_soundgen: builds the game's sound effects and music from their text
// sources.
//
//   vorne_soundgen effect SOURCE OUTPUT.wav
//   vorne_soundgen music SOURCE OUTPUT.mid
//   vorne_soundgen finish SOURCE RENDERING.wav OUTPUT.wav
//
// `finish` takes FluidSynth's float rendering of the piece compiled from
// SOURCE, cuts its inaudible tail and caps its peak (see rendering.h) and
// prints its length and levels; the build then compresses the result.
//
// On a malformed source it prints "SOURCE:LINE: problem", writes nothing
// and exits with 1, so the build stops at the line to fix.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/soundgen/effect.h"
#include "tools/soundgen/midi_file.h"
#include "tools/soundgen/music.h"
#include "tools/soundgen/rendering.h"
#include "tools/soundgen/source_text.h"
#include "tools/soundgen/wav_file.h"

namespace {

using vorne::soundgen::SourceError;

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SourceError(path, 0, std::string("cannot read: ") + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Writes beside the target and renames, so a failed run never leaves half a file.
void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string part = path + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) throw SourceError(path, 0, std::string("cannot write: ") + std::strerror(errno));
    }
    if (std::rename(part.c_str(), path.c_str()) != 0) {
        std::string problem = std::string("cannot write: ") + std::strerror(errno);
        std::remove(part.c_str());
        throw SourceError(path, 0, problem);
    }
}

// The finished renderings' peak stays this far under full scale, with room
// for the lossy encoder's overshoot under the -3 dBFS the game's mix allows.
constexpr double kCeilingDb = -3.5;

std::vector<uint8_t> bytes_of(const std::string& path) {
    const std::string text = read_file(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

void finish(const std::string& source, const std::string& rendering, const std::string& output) {
    const auto song = vorne::soundgen::parse_song(read_file(source), source);
    const auto r = vorne::soundgen::parse_float_wav(bytes_of(rendering), rendering);
    const auto done = vorne::soundgen::finish_rendering(r, song.seconds(), kCeilingDb);
    write_file(output, vorne::soundgen::encode_wav(done.samples, r.sample_rate, r.channels));
    std::printf(
        "%s: %.2f s (last bar line %.2f s, rendered %.2f s), peak %.2f dBFS, gain %.2f dB\n",
        source.c_str(), done.seconds, song.seconds(), r.seconds(), done.peak_out_db, done.gain_db);
}

int usage() {
    std::cerr << "usage: vorne_soundgen effect SOURCE OUTPUT.wav\n"
                 "       vorne_soundgen music SOURCE OUTPUT.mid\n"
                 "       vorne_soundgen finish SOURCE RENDERING.wav OUTPUT.wav\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "finish") {
        try {
            finish(argv[2], argv[3], argv[4]);
        } catch (const SourceError& e) {
            std::cerr << "vorne_soundgen: " << e.what() << "\n";
            return 1;
        }
        return 0;
    }
    if (argc != 4) return usage();
    const std::string kind = argv[1];
    const std::string source = argv[2];
    const std::string output = argv[3];
    if (kind != "effect" && kind != "music") return usage();
    try {
        const std::string text = read_file(source);
        if (kind == "effect") {
            const auto effect = vorne::soundgen::parse_effect(text, source);
            const auto samples = vorne::soundgen::render_effect(effect);
            write_file(output, vorne::soundgen::encode_wav(samples, effect.sample_rate));
        } else {
            const auto song = vorne::soundgen::parse_song(text, source);
            write_file(output, vorne::soundgen::encode_midi(song));
        }
    } catch (const SourceError& e) {
        std::cerr << "vorne_soundgen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
