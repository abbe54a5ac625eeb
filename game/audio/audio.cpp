#include "game/audio/audio.h"

namespace vorne {

void play_sound(SoundPort& sound, int32_t effect_number) {
    if (effect_number < 1 || effect_number > 7) return;
    sound.play_effect(effect_number);
}

void play_effect_on(EffectMixer& mixer, int32_t n) {
    if (n == sound_clear) {
        mixer.start_channel(n);
        mixer.wait_for_channel(n);
    } else if (n >= sound_item && n <= sound_enemy_down) {
        if (!mixer.channel_playing(n)) mixer.start_channel(n);
    }
}

std::string music_file(int32_t number) {
    switch (number) {
        case music_title:
            return "PSMAT503.mid";
        case music_play:
            return "PSMAT526.mid";
        case music_ending:
            return "PSMAT528.mid";
        default:
            return {};
    }
}

void play_music(MusicPort& music, const std::string& program_folder, int32_t number) {
    std::string file = music_file(number);
    if (file.empty()) return;
    music.send_command(
        "open \"" + program_folder + "/sound/" + file + "\" type sequencer alias midifile", nullptr,
        0);
    music.send_command("play midifile from 0", nullptr, 0);
}

void loop_music(MusicPort& music) {
    std::string mode;
    uint32_t result = music.send_command("status midifile mode", &mode, 15);
    if (result != 0) return;
    if (mode.compare(0, 7, "playing") != 0) music.send_command("play midifile from 0", nullptr, 0);
}

void pause_music(MusicPort& music) {
    music.send_command("pause midifile", nullptr, 0);
}

void resume_music(MusicPort& music) {
    music.send_command("resume midifile", nullptr, 0);
}

void stop_music(MusicPort& music) {
    music.send_command("stop midifile ", nullptr, 0);
    music.send_command("close midifile", nullptr, 0);
}

}  // namespace vorne
