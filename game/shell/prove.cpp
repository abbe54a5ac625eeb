#include "game/shell/prove.h"

#include <cstdio>
#include <filesystem>
#include <ostream>

#include "game/screens/screens.h"
#include "game/shell/game.h"
#include "game/shell/headless_ports.h"
#include "game/shell/recording.h"
#include "game/shell/replay.h"

namespace vorne {
namespace {

// The files port of a replay for a proof: the dialog is cancelled and a
// message about the stage file is kept for the report.
class ProofFiles : public FilesPort {
  public:
    explicit ProofFiles(std::string folder) : folder_(std::move(folder)) {}
    std::string program_folder() override { return folder_; }
    std::optional<std::string> open_file_dialog(std::string_view) override { return std::nullopt; }
    void show_message(std::string_view, std::string_view text) override {
        if (message.empty()) message = text;
    }
    std::string message;

  private:
    std::string folder_;
};

std::string ticks_text(int64_t ticks) {
    return std::to_string(ticks) + (ticks == 1 ? " tick" : " ticks");
}

// What a replay did, in words: "cleared on tick 186", "game over on tick 900"...
std::string replay_text(const StageReplay& r) {
    std::string text;
    switch (r.end) {
        case StageReplay::End::cleared:
            text = "cleared on tick " + std::to_string(r.tick);
            break;
        case StageReplay::End::game_over:
            text = "game over on tick " + std::to_string(r.tick);
            break;
        case StageReplay::End::quit:
            text = "quit (Esc) on tick " + std::to_string(r.tick) + " before a clear";
            break;
        case StageReplay::End::played_out:
            text = "not cleared after " + ticks_text(r.tick) + " (its input and " +
                   ticks_text(proof_idle_ticks) + " of none)";
            break;
        case StageReplay::End::refused:
            return "the game refuses the file: " + r.refusal;
    }
    if (r.misses > 0)
        text += ", " + std::to_string(r.misses) + (r.misses == 1 ? " life" : " lives") + " lost";
    return text;
}

}  // namespace

std::string proof_path(const std::string& stage_file, int32_t stage) {
    char name[32];
    std::snprintf(name, sizeof name, "stage-%02d.txt", static_cast<int>(stage));
    return stage_file + ".proofs/" + name;
}

StageReplay replay_stage(const std::string& program_folder, const std::string& map, int32_t stage,
                         const std::vector<InputStep>& steps, int64_t idle_ticks) {
    VirtualClock clock;
    ScriptedInput input;
    RecordingSound sound;
    RecordingMusic music;
    NullText text;
    HeadlessWindow window;
    ProofFiles files(program_folder);
    Game game(Ports{clock, input, sound, music, text, window, files}, program_folder);
    game.map_path = map;
    start_game(game);
    start_at_stage(game, stage);

    StageReplay result;
    if (game.world.game_state != state_play) {
        result.end = StageReplay::End::refused;
        result.refusal = files.message;
        return result;
    }
    InputCursor cursor(steps);
    int64_t idle = 0;
    for (int64_t tick = 1;; ++tick) {
        InputStep step;
        if (!cursor.next(step) && ++idle > idle_ticks) {
            result.tick = tick - 1;
            return result;
        }
        input.set(step.stick_x, step.stick_y, step.buttons & ~input_focus_lost);
        if (step.buttons & input_focus_lost) window.lose_focus();
        service_timers(game);
        run_tick(game);
        sound.played.clear();
        music.sent.clear();
        result.tick = tick;
        const int32_t state = game.world.game_state;
        if (state == state_miss) ++result.misses;
        if (state == state_stage_clear) {
            result.end = StageReplay::End::cleared;
            return result;
        }
        if (state == state_game_over || state == state_title) {
            result.end = StageReplay::End::game_over;
            return result;
        }
        if (game.quit) {
            result.end = StageReplay::End::quit;
            return result;
        }
    }
}

int run_prove(const std::string& stage_file, const std::string& program_folder, std::ostream& out,
              std::ostream& err) {
    const StageFileHashes hashes = hash_stage_file(stage_file);
    if (!hashes.error.empty()) {
        err << "vorne1.0: " << hashes.error << '\n';
        return 2;
    }
    if (hashes.stages.empty()) {
        err << "vorne1.0: " << stage_file
            << ": holds no stage the game can play (vorne1.0 --check tells why)\n";
        return 2;
    }
    const int32_t stages = static_cast<int32_t>(hashes.stages.size());
    int32_t proven = 0, stale = 0, failed = 0, none = 0;
    for (int32_t n = 1; n <= stages; ++n) {
        const std::string path = proof_path(stage_file, n);
        out << stage_file << ": stage " << n << ": ";
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) {
            ++none;
            out << "none: no " << path << '\n';
            continue;
        }
        std::string error;
        std::optional<std::string> text = read_inputs_text(path, error);
        std::optional<std::vector<InputStep>> steps;
        if (text) steps = parse_inputs(*text, path, error);
        if (!steps) {
            ++failed;
            out << "failed: " << error << '\n';
            continue;
        }
        const RecordingHeader header = parse_recording_header(*text);
        if (header.stage != n) {
            ++failed;
            out << "failed: " << path << " is not a recording made with --stage " << n
                << (header.stage
                        ? " (its header says --stage " + std::to_string(*header.stage) + ")"
                        : std::string(" (its header names no stage)"))
                << '\n';
            continue;
        }
        const StageReplay replay =
            replay_stage(program_folder, stage_file, n, *steps, proof_idle_ticks);
        const StageBlockHash& now = hashes.stages[static_cast<size_t>(n) - 1];
        if (!header.stage_hash || header.stage_hash->hash != now.hash ||
            header.stage_hash->bytes != now.bytes) {
            ++stale;
            out << "stale: "
                << (header.stage_hash ? "the stage changed since its proof was made"
                                      : "the proof's header holds no hash of the stage")
                << " (replayed now: " << replay_text(replay) << ")\n";
            continue;
        }
        if (replay.end == StageReplay::End::cleared) {
            ++proven;
            out << "proven: " << replay_text(replay) << '\n';
        } else {
            ++failed;
            out << "failed: " << replay_text(replay) << '\n';
        }
    }

    // Proofs of stages the file no longer holds are named, not counted.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(stage_file + ".proofs", ec)) {
        const std::string name = entry.path().filename().string();
        int number = 0;
        char end = 0;
        if (std::sscanf(name.c_str(), "stage-%d.tx%c", &number, &end) == 2 && number > stages &&
            name == std::filesystem::path(proof_path(stage_file, number)).filename().string())
            out << stage_file << ": " << entry.path().string() << ": no such stage (the file holds "
                << stages << "), left alone\n";
    }

    out << stage_file << ": " << stages << (stages == 1 ? " stage: " : " stages: ") << proven
        << " proven, " << stale << " stale, " << failed << " failed, " << none << " none\n";
    return proven == stages ? 0 : 1;
}

}  // namespace vorne
