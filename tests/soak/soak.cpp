// vorne_soak: plays random input through the game for a long time and checks
// the world model after every tick.
//
// The game runs in this process exactly as the headless runner runs it: a
// Game on the runner's in-memory ports, service_timers then run_tick each
// tick, the virtual clock advancing 40 ms per tick. Each stage is played on
// its own, from a stage file of one block written to a temporary folder: every
// block of the bundled stage file ($VORNE_SOURCE_DIR/assets/map.dat, or
// --stages FILE), then stages generated from the seed. When a game ends (game
// over, or the ending left with Z) the title starts the next stage; a game
// that goes on past --game-ticks is dropped and a fresh game session starts
// on the next stage. A broken invariant prints the seed, the stage, the tick
// and what broke, keeps the temporary folder (with the stage file and a dump
// of the world) and exits with status 1.
//
// CTest runs a short soak. The long run, on demand, under the sanitizers:
//   cmake --preset asan && cmake --build --preset asan --target vorne_soak -j2
//   build/asan/tests/vorne_soak --ticks 1000000 --seed 1
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "game/shell/dump.h"
#include "game/shell/game.h"
#include "game/shell/headless_ports.h"
#include "tests/soak/invariants.h"
#include "tests/soak/random_input.h"
#include "tests/soak/stages.h"
#include "tests/support/code_sheets.h"

namespace vorne::soak {
namespace {

struct Options {
    int64_t ticks = 1'000'000;
    uint64_t seed = 1;
    std::string stages;  // empty: $VORNE_SOURCE_DIR/assets/map.dat
    int32_t generated = 40;
    int64_t game_ticks = 5'000;
    int64_t progress = 100'000;
    bool keep = false;
    bool self_test = false;
    bool per_stage = false;
};

const char* const usage =
    "usage: vorne_soak [--ticks N] [--seed S] [--stages FILE] [--generated N]\n"
    "            [--game-ticks N] [--progress N] [--keep] [--per-stage]\n"
    "       vorne_soak --self-test\n"
    "  --ticks N       ticks to play in all (default 1000000)\n"
    "  --seed S        seed of the generated stages and of the input (default 1)\n"
    "  --stages FILE   stage file whose blocks are played one by one\n"
    "                  (default $VORNE_SOURCE_DIR/assets/map.dat)\n"
    "  --generated N   generated stages played besides them (default 40)\n"
    "  --game-ticks N  a game still running after N ticks is dropped and a fresh\n"
    "                  game session starts on the next stage (default 5000)\n"
    "  --progress N    a progress line every N ticks, 0 for none (default 100000)\n"
    "  --keep          keep the temporary folder of stage files\n"
    "  --per-stage     end with a line of figures for each stage\n"
    "  --self-test     break the world in known ways during a game and check that\n"
    "                  every break is found, then exit\n";

bool parse_number(const std::string& text, int64_t low, int64_t& out) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < low) return false;
    out = value;
    return true;
}

std::optional<Options> parse_options(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::cout << usage;
            std::exit(0);
        }
        if (arg == "--keep") {
            options.keep = true;
            continue;
        }
        if (arg == "--per-stage") {
            options.per_stage = true;
            continue;
        }
        if (arg == "--self-test") {
            options.self_test = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::cerr << "vorne_soak: " << arg
                      << (arg.rfind("--", 0) == 0 ? " needs a value\n" : ": unknown argument\n")
                      << usage;
            return std::nullopt;
        }
        const std::string value = argv[++i];
        int64_t number = 0;
        bool ok = true;
        if (arg == "--ticks") {
            ok = parse_number(value, 1, options.ticks);
        } else if (arg == "--seed") {
            ok = parse_number(value, 0, number);
            options.seed = static_cast<uint64_t>(number);
        } else if (arg == "--stages") {
            options.stages = value;
        } else if (arg == "--generated") {
            ok = parse_number(value, 0, number) && number <= 100'000;
            options.generated = static_cast<int32_t>(number);
        } else if (arg == "--game-ticks") {
            ok = parse_number(value, 1, options.game_ticks);
        } else if (arg == "--progress") {
            ok = parse_number(value, 0, options.progress);
        } else {
            std::cerr << "vorne_soak: unknown option " << arg << '\n' << usage;
            return std::nullopt;
        }
        if (!ok) {
            std::cerr << "vorne_soak: bad value for " << arg << ": " << value << '\n';
            return std::nullopt;
        }
    }
    return options;
}

// Sheets of the real sizes, each cell a colour of its own: every blit of
// the play frame and the screens runs as with the pictures.
Sheets stand_in_sheets() {
    Sheets s = testing::code_sheets();
    s.thaikei = testing::code_sheet(20, 25, 25);
    s.rogo = testing::code_sheet(21, 180, 100);
    s.stageh = testing::code_sheet(22, 200, 200);
    s.lasthaikei = testing::code_sheet(23, 200, 200);
    s.ue = testing::code_sheet(24, 200, 200);
    s.uemask = testing::code_sheet(25, 200, 200);
    s.kumo = testing::code_sheet(26, 60, 30);
    s.kumomask = testing::code_sheet(27, 60, 30);
    return s;
}

// The headless runner's files, keeping the messages the game shows (a
// rejected stage) instead of printing them.
class SoakFiles : public HeadlessFiles {
  public:
    explicit SoakFiles(std::string folder) : HeadlessFiles(std::move(folder), std::nullopt) {}
    void show_message(std::string_view title, std::string_view text) override {
        messages.push_back(std::string(title) + ": " + std::string(text));
    }
    std::vector<std::string> messages;
};

// One run of the game, as one headless run of the program: started as the
// program starts, on the ports of the headless runner.
struct Session {
    explicit Session(const std::string& folder, const Sheets& sheets)
        : files(folder), game(Ports{clock, input, sound, music, text, window, files}, folder) {
        game.sheets = sheets;
        window.set_caption(initial_caption);
        start_game(game);
    }
    VirtualClock clock;
    ScriptedInput input;
    RecordingSound sound;
    RecordingMusic music;
    NullText text;
    HeadlessWindow window;
    SoakFiles files;
    Game game;
};

struct Stats {
    int64_t ticks = 0;
    int64_t sessions = 0;
    int64_t games = 0;
    int64_t misses = 0;
    int64_t game_overs = 0;
    int64_t clears = 0;
    int64_t endings = 0;
    int64_t endings_left = 0;
    int64_t dropped = 0;
    int64_t play_ticks = 0;
    std::array<int64_t, 8> sounds{};
    struct PerStage {
        int64_t games = 0, play_ticks = 0, misses = 0, clears = 0, shot_down = 0;
    };
    std::vector<PerStage> stages;
};

struct Remembered {
    int64_t tick;
    int32_t state;
    TickInput input;
};

std::string make_temp_folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vorne-soak-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        std::cerr << "vorne_soak: cannot make a temporary folder: " << std::strerror(errno) << '\n';
        std::exit(2);
    }
    return buffer.data();
}

bool write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    return static_cast<bool>(out);
}

std::string stage_path(const std::string& folder, size_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "stage%03zu.dat", index + 1);
    return folder + "/" + name;
}

void print_summary(std::ostream& out, const Stats& s, const std::vector<SoakStage>& stages,
                   double seconds, int64_t one_axis_ticks, bool per_stage) {
    int64_t played = 0, fewest = s.stages.empty() ? 0 : s.stages[0].games, most = 0;
    for (const Stats::PerStage& stage : s.stages) {
        played += stage.games > 0 ? 1 : 0;
        fewest = std::min(fewest, stage.games);
        most = std::max(most, stage.games);
    }
    out << "vorne_soak: " << s.ticks << " ticks (" << s.play_ticks << " in play) in " << seconds
        << " s, " << static_cast<int64_t>(seconds > 0 ? s.ticks / seconds : 0)
        << " ticks per second\n";
    out << "  stages played: " << played << " of " << stages.size() << " (" << fewest << " to "
        << most << " games each)\n";
    out << "  games: " << s.games << " in " << s.sessions << " sessions; misses: " << s.misses
        << ", game overs: " << s.game_overs << ", stage clears: " << s.clears
        << ", endings: " << s.endings << " (left with Z: " << s.endings_left
        << "), games dropped after the tick limit: " << s.dropped << '\n';
    out << "  sounds: items " << s.sounds[2] << ", door opened " << s.sounds[3] << ", caught "
        << s.sounds[4] << ", shots " << s.sounds[6] << ", enemies shot down " << s.sounds[7]
        << '\n';
    out << "  play ticks with a slot past the last entry moved along one axis only: "
        << one_axis_ticks << '\n';
    if (!per_stage) return;
    out << "  per stage: games, play ticks, misses, clears, enemies shot down\n";
    for (size_t i = 0; i < stages.size(); ++i) {
        const Stats::PerStage& stage = s.stages[i];
        out << "    " << stage.games << ", " << stage.play_ticks << ", " << stage.misses << ", "
            << stage.clears << ", " << stage.shot_down << ": " << stages[i].name << '\n';
    }
}

// Ways to break a world in play, each of which the checks must find.
struct Breakage {
    const char* what;
    void (*apply)(World&);
};

void shift(Rect& r, int32_t dx, int32_t dy) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
}

const Breakage breakages[] = {
    {"a wall one pixel wider", [](World& w) { w.wall_table[1].right += 1; }},
    {"a wall moved alone", [](World& w) { shift(w.wall_table[w.wall_count], 5, 0); }},
    {"a coin moved alone", [](World& w) { shift(w.coin_table[1], 0, -20); }},
    {"the slot past the last key cut short",
     [](World& w) {
         w.key1_table[w.key1_count] = Rect{0, 0, 5, 0};
     }},
    {"a ladder counter one too many", [](World& w) { ++w.ladder_count; }},
    {"a lock counter one too few", [](World& w) { --w.lock2_count; }},
    {"a wall counter past the capacity", [](World& w) { w.wall_count = 401; }},
    {"an enemy in pose 4", [](World& w) { w.enemy_h_state[1].enemy_pose = 4; }},
    {"an enemy at frame 7 while walking",
     [](World& w) {
         w.enemy_h_state[1].enemy_pose = 2;
         w.enemy_h_state[1].enemy_frame = 7;
     }},
    {"an enemy at frame 21 while vanishing",
     [](World& w) {
         w.enemy_i_state[1].enemy_pose = 6;
         w.enemy_i_state[1].enemy_frame = 21;
     }},
    {"a kind-j enemy with armour 3", [](World& w) { w.enemy_j_state[1].enemy_armour = 3; }},
    {"a kind-h enemy with armour", [](World& w) { w.enemy_h_state[1].enemy_armour = 1; }},
    {"an enemy off its row", [](World& w) { shift(w.enemy_j_table[1], 0, 5); }},
    {"a kind-h enemy off its steps of 10", [](World& w) { shift(w.enemy_h_table[1], 5, 0); }},
    {"an enemy shot flying with heading 0",
     [](World& w) {
         w.enemy_i_state[1].enemy_shot_active = 1;
         w.enemy_i_state[1].enemy_shot_heading = 0;
     }},
    {"an enemy shot flag 2", [](World& w) { w.enemy_i_state[1].enemy_shot_active = 2; }},
    {"the player in pose 4", [](World& w) { w.player_pose = 4; }},
    {"the player at frame 4 while walking",
     [](World& w) {
         w.player_pose = pose_walk_right;
         w.player_frame = 4;
     }},
    {"the player dying at frame 21 in play",
     [](World& w) {
         w.player_pose = pose_dying;
         w.player_frame = 21;
     }},
    {"the player one pixel taller", [](World& w) { w.player_rect.bottom += 1; }},
    {"the player one pixel aside", [](World& w) { shift(w.player_rect, 1, 0); }},
    {"the player out of the view", [](World& w) { shift(w.player_rect, 0, -200); }},
    {"the player airborne while standing",
     [](World& w) {
         w.player_pose = pose_stand;
         w.player_frame = 0;
         w.player_airborne = 1;
     }},
    {"a player shot without the power item",
     [](World& w) {
         w.player_shot_active = 1;
         w.player_shot_heading = pose_walk_right;
         w.player_shot_rect = w.player_rect;
         w.power_taken = 0;
     }},
    {"the door moved alone", [](World& w) { shift(w.door_rect, -20, 0); }},
    {"the power item cut short",
     [](World& w) { w.power_item_rect.bottom = w.power_item_rect.top; }},
    {"game_state 7", [](World& w) { w.game_state = 7; }},
    {"game_state 6 straight from play", [](World& w) { w.game_state = state_ending; }},
    {"a score that is not a multiple of 50", [](World& w) { w.score += 10; }},
    {"a score past the next extra life", [](World& w) { w.score += 1500; }},
    {"a life from nowhere", [](World& w) { ++w.lives; }},
    {"a kind-1 key from nowhere", [](World& w) { ++w.keys1_held; }},
    {"a kind-2 key lost", [](World& w) { --w.keys2_held; }},
    {"the door flag turned", [](World& w) { w.door_open = 1 - w.door_open; }},
    {"a coin flag 2", [](World& w) { w.coin_taken[1] = 2; }},
    {"a coin taken for nothing", [](World& w) { w.coin_taken[1] = 1; }},
    {"an enemy shot down for nothing", [](World& w) { w.enemy_h_state[1].enemy_pose = 6; }},
    {"stage_number 2", [](World& w) { w.stage_number = 2; }},
    {"the stage file closed in play", [](World& w) { w.stage_file_open = 0; }},
    {"a backdrop offset of 100", [](World& w) { w.backdrop_x = 100; }},
    {"screen_timer running in play", [](World& w) { w.screen_timer = 2; }},
    {"hit_flag 1", [](World& w) { w.hit_flag = 1; }},
    {"stage_rows changed", [](World& w) { ++w.stage_rows; }},
    {"the marker of the kind without enemies gone", [](World& w) { w.enemy_g_table[2].left = 0; }},
};

// Plays a generated stage until the game is well into play, then checks that
// every breakage of a copy of the world is found and that an unbroken copy
// passes.
int self_test(const Options& options) {
    // A stage with enemies of kinds h, i and j (those the breakages touch)
    // standing on its bottom floor, and none of kind g.
    SoakStage stage = generate_stages(options.seed, 1).front();
    for (std::string& row : stage.rows)
        std::replace(row.begin(), row.end(), 'g', 'z');
    std::string& floor = stage.rows[stage.rows.size() - 2];
    for (size_t c = 1; c + 1 < floor.size(); ++c)
        if (floor[c] == 'b') floor[c] = 'z';
    floor.replace(1, 5, "bzhij");
    const StageModel model(stage.rows);
    const std::string folder = make_temp_folder();
    const std::string path = stage_path(folder, 0);
    write_file(path, one_stage_file(stage));

    Session session(folder, stand_in_sheets());
    session.game.map_path = path;
    Checker checker;
    checker.start_session(session.game.world);
    checker.set_stage(&model);
    World& world = session.game.world;
    int64_t play_ticks = 0;
    int status = 0;
    // Z starts the game; in play the player stands still (no enemy is shot).
    for (int64_t tick = 1; tick <= 1000 && play_ticks < 20; ++tick) {
        session.input.set(0, 0, world.game_state == state_title ? 1 : 0);
        service_timers(session.game);
        run_tick(session.game);
        const std::string problem = checker.after_tick(world, session.sound.played);
        session.sound.played.clear();
        session.music.sent.clear();
        if (!problem.empty()) {
            std::cerr << "vorne_soak: self-test: the unbroken game fails at tick " << tick << ": "
                      << problem << '\n';
            return 1;
        }
        play_ticks = world.game_state == state_play ? play_ticks + 1 : 0;
    }
    if (play_ticks < 20 || world.player_pose == pose_dying) {
        std::cerr << "vorne_soak: self-test: the game did not get into play\n";
        return 1;
    }
    {
        Checker copy = checker;
        const auto unbroken = std::make_unique<World>(world);
        const std::string problem = copy.after_tick(*unbroken, {});
        if (!problem.empty()) {
            std::cerr << "vorne_soak: self-test: an unchanged copy of the world fails: " << problem
                      << '\n';
            status = 1;
        }
    }
    size_t found = 0;
    for (const Breakage& b : breakages) {
        Checker copy = checker;
        const auto broken = std::make_unique<World>(world);
        b.apply(*broken);
        const std::string problem = copy.after_tick(*broken, {});
        if (problem.empty()) {
            std::cerr << "vorne_soak: self-test: not found: " << b.what << '\n';
            status = 1;
        } else {
            ++found;
            std::cout << "  " << b.what << ": " << problem << '\n';
        }
    }
    std::cout << "vorne_soak: self-test: " << found << " of " << std::size(breakages)
              << " breakages found\n";
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return status;
}

int run(const Options& options) {
    if (options.self_test) return self_test(options);
    // The stages.
    std::string stage_file = options.stages;
    if (stage_file.empty()) {
        const char* source = std::getenv("VORNE_SOURCE_DIR");
        if (!source) {
            std::cerr
                << "vorne_soak: set VORNE_SOURCE_DIR to the repository or give --stages FILE\n";
            return 2;
        }
        stage_file = std::string(source) + "/assets/map.dat";
    }
    std::ifstream in(stage_file, std::ios::binary);
    if (!in) {
        std::cerr << "vorne_soak: cannot read " << stage_file << ": " << std::strerror(errno)
                  << '\n';
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    auto bundled =
        split_stage_file(text.str(), std::filesystem::path(stage_file).filename(), error);
    if (!bundled) {
        std::cerr << "vorne_soak: " << error << '\n';
        return 2;
    }
    std::vector<SoakStage> stages = std::move(*bundled);
    for (SoakStage& s : generate_stages(options.seed, options.generated))
        stages.push_back(std::move(s));
    if (stages.empty()) {
        std::cerr << "vorne_soak: no stage to play\n";
        return 2;
    }
    std::vector<StageModel> models;
    for (const SoakStage& s : stages)
        models.emplace_back(s.rows);

    const std::string folder = make_temp_folder();
    for (size_t i = 0; i < stages.size(); ++i) {
        if (!write_file(stage_path(folder, i), one_stage_file(stages[i]))) {
            std::cerr << "vorne_soak: cannot write " << stage_path(folder, i) << '\n';
            return 2;
        }
    }
    std::cout << "vorne_soak: seed " << options.seed << ", " << options.ticks << " ticks, "
              << stages.size() << " stages (" << stages.size() - options.generated << " from "
              << stage_file << ", " << options.generated << " generated) in " << folder << '\n';

    const Sheets sheets = stand_in_sheets();
    RandomInput random(options.seed * 0x9E3779B97F4A7C15ull + 1);
    Checker checker;
    Stats stats;
    stats.stages.assign(stages.size(), {});
    std::unique_ptr<Session> session;
    size_t stage = 0;        // the stage the title opens next
    size_t game_stage = 0;   // the stage of the game being played
    int64_t game_ticks = 0;  // ticks since the last game ended
    int64_t game_number = 0;
    int64_t tick_in_game = 0;  // ticks since the current game started
    std::array<Remembered, 24> recent{};

    const auto choose_stage = [&](size_t index) {
        stage = index % stages.size();
        session->game.map_path = stage_path(folder, stage);
        checker.set_stage(&models[stage]);
        game_ticks = 0;
    };

    const auto started = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    };

    for (int64_t tick = 1; tick <= options.ticks; ++tick) {
        if (!session) {
            session = std::make_unique<Session>(folder, sheets);
            ++stats.sessions;
            checker.start_session(session->game.world);
            choose_stage(stats.sessions == 1 ? 0 : stage + 1);
        }
        Game& game = session->game;
        World& world = game.world;
        const int32_t before = world.game_state;
        const TickInput input = random.next(before);
        recent[static_cast<size_t>(tick) % recent.size()] = Remembered{tick, before, input};
        session->input.set(input.stick_x, input.stick_y, input.buttons);

        service_timers(game);
        run_tick(game);
        ++stats.ticks;
        ++game_ticks;
        ++tick_in_game;
        const int32_t after = world.game_state;
        Stats::PerStage& this_stage = stats.stages[game_stage];
        if (before == state_play) {
            ++stats.play_ticks;
            ++this_stage.play_ticks;
        }

        std::string problem = checker.after_tick(world, session->sound.played);
        if (problem.empty() && game.quit) problem = "the game quit, though Esc was never pressed";
        if (problem.empty() && !session->files.messages.empty()) {
            problem = "the game rejected the stage: " + session->files.messages.front();
        }
        if (!problem.empty()) {
            const std::string dump = folder + "/failure-world.json";
            write_file(dump, dump_world(world) + "\n");
            std::cout.flush();
            std::cerr << "vorne_soak: FAILED at tick " << tick << " (seed " << options.seed << ")\n"
                      << "  stage: " << stages[game_stage].name << ", file "
                      << stage_path(folder, game_stage) << '\n'
                      << "  game " << game_number << " (session " << stats.sessions << "), tick "
                      << tick_in_game << " of this game, game_state " << before << " -> " << after
                      << '\n'
                      << "  what broke: " << problem << '\n'
                      << "  the world after that tick: " << dump << '\n'
                      << "  the last inputs (tick, state before it: x y buttons):";
            for (int64_t t = std::max<int64_t>(1, tick - static_cast<int64_t>(recent.size()) + 1);
                 t <= tick; ++t) {
                const Remembered& r = recent[static_cast<size_t>(t) % recent.size()];
                std::cerr << (t % 6 == 0 ? "\n   " : "") << ' ' << r.tick << ": " << r.state << ": "
                          << r.input.stick_x << ' ' << r.input.stick_y << ' ' << r.input.buttons
                          << ';';
            }
            std::cerr << "\n  again: vorne_soak --seed " << options.seed << " --ticks " << tick;
            if (!options.stages.empty()) std::cerr << " --stages " << options.stages;
            std::cerr << " --generated " << options.generated << " --game-ticks "
                      << options.game_ticks << "\n  the stage:\n";
            for (const std::string& row : stages[game_stage].rows)
                std::cerr << "    " << row << '\n';
            print_summary(std::cerr, stats, stages, elapsed(), checker.one_axis_slot_ticks(),
                          options.per_stage);
            return 1;
        }

        for (int32_t s : session->sound.played)
            if (s >= 1 && s <= 7) ++stats.sounds[static_cast<size_t>(s)];
        this_stage.shot_down +=
            std::count(session->sound.played.begin(), session->sound.played.end(), 7);
        session->sound.played.clear();
        session->music.sent.clear();

        if (before == state_title && after == state_stage_intro) {
            ++stats.games;
            ++game_number;
            ++stats.stages[stage].games;
            game_stage = stage;
            tick_in_game = 0;
        }
        if (before == state_miss) {
            ++stats.misses;
            ++this_stage.misses;
        }
        if (before == state_stage_clear) {
            ++stats.clears;
            ++this_stage.clears;
        }
        if (before == state_stage_clear && after == state_ending) ++stats.endings;
        if (before == state_game_over && after == state_title) ++stats.game_overs;
        if (before == state_ending && after == state_title) ++stats.endings_left;
        if (after == state_title && before != state_title) choose_stage(stage + 1);

        if (game_ticks >= options.game_ticks) {
            // Nothing ends this game soon: start afresh, as a new run of
            // the program would.
            ++stats.dropped;
            session.reset();
        }

        if (options.progress > 0 && tick % options.progress == 0) {
            std::cout << "vorne_soak: " << tick << " ticks, " << stats.games << " games, "
                      << stats.misses << " misses, " << stats.clears << " clears, "
                      << static_cast<int64_t>(elapsed()) << " s" << std::endl;
        }
    }

    print_summary(std::cout, stats, stages, elapsed(), checker.one_axis_slot_ticks(),
                  options.per_stage);
    if (!options.keep) {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    return 0;
}

}  // namespace
}  // namespace vorne::soak

int main(int argc, char** argv) {
    auto options = vorne::soak::parse_options(argc, argv);
    if (!options) return 2;
    return vorne::soak::run(*options);
}
