// Fuzz target: a stage file played through the whole game, tick by tick.
//
// The input is a stage file and an input stream, split at the first
// "\n#input\n": the bytes before it are the stage file, the bytes after it
// the input stream (no separator: all of it is the stage file, the stream is
// empty). The stage file goes to a private temporary file; a Game on the
// headless runner's in-memory ports plays it from the title for up to
// max_ticks ticks, button 1 opening it and the file dialog answering it.
//
// The input stream, one byte after another:
// - the first byte picks the key that starts the game on tick 1: Z (bit 0
//   clear, the stage file of button 1) or X (bit 0 set, the file dialog);
// - every later byte is held for one or more ticks:
//     bits 0-1  stick x: 0 centred, 1 left, 2 right, 3 centred with button 4
//     bits 2-3  stick y: 0 centred, 1 up, 2 down, 3 centred
//     bit 4     Z (button 1), bit 5 X (button 2)
//     bits 6-7  held for 1, 4, 8 or 20 ticks
// - the pair FF FF is Esc (button 3) for one tick: the game quits and the
//   run ends there. Esc is never pressed otherwise.
// Once the stream is used up, nothing is pressed.
//
// After every tick the soak's checks (tests/soak/invariants.h) look at the
// world when the first stage's rows are of equal length; they know its rows,
// so they follow the game while it plays stage 1 and pause from the stage
// after it until the game is back on the title. Every message the game shows is a refusal of the
// stage file; it must be the one stagefile::check_stage_bytes finds, word
// for word, and a file the check finds clean is never refused. The game
// never plays a stage at or past the one the check says it refuses at, nor
// reaches the ending of such a file.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/shell/game.h"
#include "game/shell/headless_ports.h"
#include "game/world/stage_error.h"
#include "stagefile/check.h"
#include "stagefile/count.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/soak/invariants.h"

namespace {

using namespace vorne;

constexpr const char* target = "play_fuzzer";
constexpr std::string_view input_separator = "\n#input\n";
constexpr int32_t max_ticks = 300;
constexpr int32_t hold_ticks[4] = {1, 4, 8, 20};

struct TickInput {
    int16_t stick_x = 0;
    int16_t stick_y = 0;
    int32_t buttons = 0;
};

// Reads the input stream tick by tick.
class InputStream {
  public:
    explicit InputStream(std::string_view bytes) : bytes_(bytes) {}

    TickInput next() {
        if (first_) {
            first_ = false;
            const bool dialog = !bytes_.empty() && (bytes_[0] & 1);
            if (!bytes_.empty()) bytes_.remove_prefix(1);
            return TickInput{0, 0, dialog ? 2 : 1};
        }
        if (held_left_ > 0) {
            --held_left_;
            return held_;
        }
        if (bytes_.empty()) return TickInput{};
        const uint8_t b = static_cast<uint8_t>(bytes_[0]);
        bytes_.remove_prefix(1);
        if (b == 0xFF && !bytes_.empty() && static_cast<uint8_t>(bytes_[0]) == 0xFF) {
            bytes_.remove_prefix(1);
            return TickInput{0, 0, 4};
        }
        static constexpr int16_t axis[4] = {0, -1, 1, 0};
        TickInput in;
        in.stick_x = axis[b & 3];
        in.stick_y = axis[(b >> 2) & 3];
        in.buttons = ((b & 3) == 3 ? 8 : 0) | ((b >> 4) & 1 ? 1 : 0) | ((b >> 5) & 1 ? 2 : 0);
        held_ = in;
        held_left_ = hold_ticks[b >> 6] - 1;
        return in;
    }

  private:
    std::string_view bytes_;
    bool first_ = true;
    TickInput held_;
    int32_t held_left_ = 0;
};

// The rows of the first stage block, read as the game reads a stage file: a
// UTF-8 byte order mark skipped, lines ending at CR or CR LF (an LF alone is
// a character of its line), the count line, then that many rows. What a file
// the game refuses before it plays the first stage gives here does not matter.
std::vector<std::string> first_block_rows(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    const auto next_line = [&](std::string_view& line) {
        if (bytes.empty()) return false;
        const size_t cr = bytes.find('\r');
        line = bytes.substr(0, cr);
        if (cr == std::string_view::npos) {
            bytes = {};
        } else {
            bytes.remove_prefix(cr + 1);
            if (!bytes.empty() && bytes[0] == '\n') bytes.remove_prefix(1);
        }
        return true;
    };
    std::vector<std::string> rows;
    std::string_view line;
    if (!next_line(line)) return rows;
    const int64_t count = stagefile::lenient_count(line);
    for (int64_t r = 0; r < count && r < grid_capacity && next_line(line); ++r)
        rows.emplace_back(line);
    return rows;
}

// The headless runner's files, answering the dialog with the stage file and
// keeping every message the game shows.
class FuzzFiles : public HeadlessFiles {
  public:
    FuzzFiles(const std::string& folder, const std::string& stage_path)
        : HeadlessFiles(folder, stage_path) {}
    void show_message(std::string_view title, std::string_view text) override {
        messages.push_back({std::string(title), std::string(text)});
    }
    struct Message {
        std::string title;
        std::string text;
    };
    std::vector<Message> messages;
};

// What the check expects of the game for this file.
struct Expected {
    stagefile::CheckResult result;
    std::optional<stagefile::Finding> refusal;
    std::string message;  // the refusal as the game shows it
};

Expected expect_of(std::string_view bytes, const std::string& path) {
    Expected e;
    e.result = stagefile::check_stage_bytes(bytes);
    const auto& findings = e.result.findings;
    for (size_t i = 0; i < findings.size(); ++i) {
        if (!findings[i].refusal) continue;
        fuzz::check(i + 1 == findings.size(), target,
                    "the check lists findings after its refusal: \"" + findings[i].problem + "\"");
        e.refusal = findings[i];
        e.message =
            StageError{path, findings[i].stage, findings[i].line, findings[i].problem}.message();
    }
    return e;
}

void check_message(const Expected& e, const FuzzFiles::Message& m) {
    fuzz::check(!e.result.clean(), target,
                "the game refuses a file the check finds clean: \"" + m.text + "\"");
    fuzz::check(e.refusal.has_value(), target,
                "the game refuses the file but the check has no refusal; the game: \"" + m.text +
                    "\"; the check: \"" +
                    stagefile::format_findings(e.result, "FILE").substr(0, 2000) + "\"");
    fuzz::check(m.text == e.message, target,
                "the game's refusal differs from the check's: the game: \"" + m.text +
                    "\", the check: \"" + e.message + "\"");
}

// A stage the game plays or an ending it reaches must lie before the stage at
// which the check says the game refuses the file.
void check_reached(const Expected& e, const World& w) {
    if (!e.refusal) return;
    const int32_t refused_at = e.refusal->stage;
    if (w.game_state == state_play) {
        fuzz::check(refused_at > w.stage_number, target,
                    "the game plays stage " + std::to_string(w.stage_number) +
                        " of a file the check refuses at stage " + std::to_string(refused_at) +
                        ": \"" + e.message + "\"");
    }
    fuzz::check(w.game_state != state_ending, target,
                "the game reaches the ending of a file the check refuses: \"" + e.message + "\"");
}

template <typename T, typename... Args>
void renew(T& object, Args&&... args) {
    std::destroy_at(&object);
    std::construct_at(&object, std::forward<Args>(args)...);
}

// The game and its ports, built once per process: building a Game allocates
// and fills a whole world, which would cost more than the ticks of a run.
// start() puts everything back as a freshly built session has it.
struct Session {
    Session(const std::string& folder_in, const std::string& stage_path_in)
        : folder(folder_in),
          stage_path(stage_path_in),
          files(folder, stage_path),
          game(Ports{clock, input, sound, music, text, window, files}, folder),
          pristine(std::make_unique<World>(game.world)) {}

    // A new session on the same objects, then start_game, as the headless
    // runner starts the program.
    void start() {
        renew(clock);
        renew(input);
        renew(sound);
        renew(music);
        renew(window);
        renew(files, folder, stage_path);
        game.world = *pristine;
        game.timer2 = MusicTimer{};
        renew(game.stage_file);
        game.map_path = stage_path;
        game.window_face = Face::mincho;
        game.released_once = false;
        game.quit = false;
        window.set_caption(initial_caption);
        start_game(game);
    }

    const std::string folder;
    const std::string stage_path;
    VirtualClock clock;
    ScriptedInput input;
    RecordingSound sound;
    RecordingMusic music;
    NullText text;
    HeadlessWindow window;
    FuzzFiles files;
    Game game;
    const std::unique_ptr<World> pristine;  // the world of a Game just built
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::TempFile stage_file(target, "stage.dat");

    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t split = all.find(input_separator);
    const std::string_view stage_bytes = all.substr(0, split);
    const std::string_view stream_bytes = split == std::string_view::npos
                                              ? std::string_view()
                                              : all.substr(split + input_separator.size());

    stage_file.write(stage_bytes);
    const Expected expected = expect_of(stage_bytes, stage_file.path());
    const soak::StageModel model(first_block_rows(stage_bytes));

    static Session session(stage_file.folder(), stage_file.path());
    session.start();
    Game& game = session.game;
    World& world = game.world;

    // The soak's promises assume that the rebuild after a miss places what
    // the build did; with rows of unequal length it drops what lies past the
    // last row's length (a kept behaviour), so such stages are only played.
    bool equal_rows = true;
    for (const auto& row : model.cells)
        equal_rows = equal_rows && static_cast<int32_t>(row.size()) == model.row_length;

    soak::Checker checker;
    checker.start_session(world);
    checker.set_stage(&model);
    bool checking = equal_rows;  // false from the second stage on, until the title
    size_t messages_seen = 0;
    InputStream stream(stream_bytes);

    for (int32_t tick = 1; tick <= max_ticks; ++tick) {
        const TickInput in = stream.next();
        session.input.set(in.stick_x, in.stick_y, in.buttons);
        service_timers(game);
        run_tick(game);

        if (game.quit) {
            fuzz::check(in.buttons & button_quit, target,
                        "the game quit, though Esc was not pressed");
            break;
        }
        fuzz::check(!(in.buttons & button_quit), target, "Esc was pressed and the game went on");

        for (; messages_seen < session.files.messages.size(); ++messages_seen)
            check_message(expected, session.files.messages[messages_seen]);
        check_reached(expected, world);

        if (world.stage_number > 1) checking = false;
        if (checking) {
            const std::string problem = checker.after_tick(world, session.sound.played);
            if (!problem.empty()) {
                fuzz::fail(target, "tick " + std::to_string(tick) + ", game_state " +
                                       std::to_string(world.game_state) + ": " + problem);
            }
        } else if (world.game_state == state_title && equal_rows) {
            checker.start_session(world);
            checking = true;
        }
        session.sound.played.clear();
        session.music.sent.clear();
    }
    return 0;
}
