#include "game/audio/music_commands.h"

#include <vector>

namespace vorne {
namespace {

// Splits a command into words; a double-quoted word may hold blanks.
std::vector<std::string> words_of(std::string_view command) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < command.size()) {
        while (i < command.size() && command[i] == ' ')
            ++i;
        if (i >= command.size()) break;
        std::string word;
        if (command[i] == '"') {
            size_t end = command.find('"', i + 1);
            if (end == std::string_view::npos) end = command.size();
            word = std::string(command.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            size_t end = command.find(' ', i);
            if (end == std::string_view::npos) end = command.size();
            word = std::string(command.substr(i, end - i));
            i = end;
        }
        words.push_back(word);
    }
    return words;
}

void answer(std::string* return_text, int32_t return_length, const std::string& text) {
    if (!return_text) return;
    size_t room = return_length > 0 ? static_cast<size_t>(return_length - 1) : 0;
    *return_text = text.substr(0, room);
}

}  // namespace

uint32_t MusicInterpreter::send_command(std::string_view command, std::string* return_text,
                                        int32_t return_length) {
    std::vector<std::string> w = words_of(command);
    if (w.empty()) return music_error_unrecognized;
    const std::string& verb = w[0];

    if (verb == "open") {
        // open "PATH" type sequencer alias midifile
        if (w.size() != 6 || w[2] != "type" || w[3] != "sequencer" || w[4] != "alias" ||
            w[5] != "midifile")
            return music_error_unrecognized;
        if (open_) return music_error_alias_in_use;
        if (!player_.load(w[1])) return music_error_file_not_found;
        open_ = true;
        return music_ok;
    }
    if (w.size() < 2) return music_error_unrecognized;
    if (w[1] != "midifile") return music_error_unknown_alias;

    if (verb == "play") {
        if (!(w.size() == 2 || (w.size() == 4 && w[2] == "from" && w[3] == "0")))
            return music_error_unrecognized;
        if (!open_) return music_error_unknown_alias;
        player_.play_from_start();
        return music_ok;
    }
    if (verb == "stop") {
        if (w.size() != 2) return music_error_unrecognized;
        if (!open_) return music_error_unknown_alias;
        player_.stop();
        return music_ok;
    }
    if (verb == "pause" || verb == "resume") {
        if (w.size() != 2) return music_error_unrecognized;
        if (!open_) return music_error_unknown_alias;
        if (verb == "pause") {
            player_.pause();
        } else {
            player_.resume();
        }
        return music_ok;
    }
    if (verb == "close") {
        if (w.size() != 2) return music_error_unrecognized;
        if (!open_) return music_error_unknown_alias;
        player_.stop();
        player_.unload();
        open_ = false;
        return music_ok;
    }
    if (verb == "status") {
        if (w.size() != 3 || w[2] != "mode") return music_error_unrecognized;
        if (!open_) return music_error_unknown_alias;
        answer(return_text, return_length, player_.is_playing() ? "playing" : "stopped");
        return music_ok;
    }
    return music_error_unrecognized;
}

}  // namespace vorne
