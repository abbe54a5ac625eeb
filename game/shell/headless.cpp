#include "game/shell/headless.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "game/render/png_encode.h"
#include "game/shell/game.h"
#include "game/shell/inputs.h"
#include "game/shell/json.h"
#include "game/world/object_tables.h"
#include "game/world/world.h"

namespace vorne {

void ScriptedInput::set(int16_t stick_x, int16_t stick_y, int32_t buttons) {
    auto axis = [](int16_t v) -> uint32_t { return v < 0 ? 0 : v > 0 ? 65535 : 32768; };
    position_.x = axis(stick_x);
    position_.y = axis(stick_y);
    position_.buttons = static_cast<uint32_t>(buttons);
}

uint32_t ScriptedInput::joy_get_pos(uint32_t id, JoyPosition& out) {
    if (id != 0) return 1;
    out = position_;
    return 0;
}

uint32_t ScriptedInput::joy_get_caps(uint32_t id, JoyCaps& out) {
    if (id != 0) return 1;
    out = JoyCaps{0, 65535, 0, 65535, 4};
    return 0;
}

bool SilentMidiPlayer::load(const std::string& path) {
    std::error_code ec;
    playing_ = false;
    return std::filesystem::is_regular_file(path, ec);
}

int32_t NullText::line_height(const TextStyle& style) {
    // About 1.2 em at 96 dpi.
    return static_cast<int32_t>(std::lround(style.points * 4.0 / 3.0 * 1.2));
}

void HeadlessFiles::show_message(std::string_view title, std::string_view text) {
    std::cerr << "vorne1.0: " << title << ": " << text << '\n';
}

namespace {

void put_rect(JsonWriter& j, const Rect& r) {
    j.begin_array().value(r.left).value(r.top).value(r.right).value(r.bottom).end_array();
}

template <typename Table>
void put_rect_table(JsonWriter& j, std::string_view name, const Table& table) {
    j.key(name).begin_array();
    for (const Rect& r : table)
        put_rect(j, r);
    j.end_array();
}

template <typename Table>
void put_flag_table(JsonWriter& j, std::string_view name, const Table& table) {
    j.key(name).begin_array();
    for (int32_t flag : table)
        j.value(flag);
    j.end_array();
}

template <typename Table>
void put_enemy_states(JsonWriter& j, std::string_view name, const Table& table) {
    j.key(name).begin_array();
    for (const EnemyState& s : table) {
        j.begin_array()
            .value(s.enemy_pose)
            .value(s.enemy_frame)
            .value(s.enemy_armour)
            .value(s.field4)
            .value(s.field5)
            .value(s.enemy_shot_active)
            .value(s.enemy_shot_heading)
            .end_array();
    }
    j.end_array();
}

}  // namespace

std::string trace_line(int64_t tick, const Game& game, const std::vector<int32_t>& sounds,
                       const std::vector<std::string>& music, const std::string& caption) {
    const World& w = game.world;
    JsonWriter j;
    j.begin_object();
    j.key("tick").value(tick);
    j.key("state").value(w.game_state);
    j.key("stage").value(w.stage_number);
    j.key("score").value(w.score);
    j.key("lives").value(w.lives);
    j.key("keys1").value(w.keys1_held);
    j.key("keys2").value(w.keys2_held);
    j.key("player");
    put_rect(j, w.player_rect);
    j.key("pose").value(w.player_pose);
    j.key("frame").value(w.player_frame);
    j.key("airborne").value(w.player_airborne);
    j.key("door_open").value(w.door_open);
    j.key("power").value(w.power_taken);
    j.key("shot")
        .begin_array()
        .value(w.player_shot_active)
        .value(w.player_shot_rect.left)
        .value(w.player_shot_rect.top)
        .end_array();
    j.key("sounds").begin_array();
    for (int32_t s : sounds)
        j.value(s);
    j.end_array();
    j.key("music").begin_array();
    for (const std::string& m : music)
        j.value(m);
    j.end_array();
    j.key("caption").value(caption);
    j.key("input").begin_array().value(w.stick_x).value(w.stick_y).value(w.buttons).end_array();
    j.key("stage_file_open").value(w.stage_file_open);
    j.key("screen_timer").value(w.screen_timer);
    j.key("backdrop").begin_array().value(w.backdrop_x).value(w.backdrop_y).end_array();
    j.key("music_timer").value(game.timer2.period());
    j.end_object();
    return j.text();
}

std::string dump_world(const World& w) {
    JsonWriter j;
    j.begin_object();

    for (const ConstObjectTable& t : object_tables(w)) {
        put_rect_table(j, std::string(t.name) + "_table", t.rects);
        j.key(std::string(t.name) + "_count").value(t.count);
        if (!t.flags.empty()) put_flag_table(j, t.state_name, t.flags);
        if (!t.states.empty()) put_enemy_states(j, t.state_name, t.states);
    }
    put_rect_table(j, "enemy_shot_table", w.enemy_shot_table);

    j.key("player_rect");
    put_rect(j, w.player_rect);
    j.key("player_pose").value(w.player_pose);
    j.key("player_frame").value(w.player_frame);
    j.key("player_airborne").value(w.player_airborne);
    j.key("power_item_rect");
    put_rect(j, w.power_item_rect);
    j.key("power_taken").value(w.power_taken);
    j.key("door_rect");
    put_rect(j, w.door_rect);
    j.key("door_open").value(w.door_open);
    j.key("player_shot_rect");
    put_rect(j, w.player_shot_rect);
    j.key("player_shot_active").value(w.player_shot_active);
    j.key("player_shot_heading").value(w.player_shot_heading);

    j.key("stage_grid").begin_array();
    int32_t rows = std::clamp(w.stage_rows, 0, grid_capacity);
    int32_t columns = std::clamp(w.row_length, 0, grid_capacity);
    for (int32_t r = 1; r <= rows; ++r) {
        std::string row;
        for (int32_t c = 1; c <= columns; ++c)
            row.append(w.stage_grid[c][r].text());
        j.value(row);
    }
    j.end_array();
    j.key("stage_file").value(w.stage_file);
    j.key("stage_file_open").value(w.stage_file_open);
    j.key("stage_rows").value(w.stage_rows);
    j.key("row_length").value(w.row_length);

    j.key("game_state").value(w.game_state);
    j.key("stage_number").value(w.stage_number);
    j.key("score").value(w.score);
    j.key("extra_life_step").value(w.extra_life_step);
    j.key("lives").value(w.lives);
    j.key("keys1_held").value(w.keys1_held);
    j.key("keys2_held").value(w.keys2_held);
    j.key("backdrop_x").value(w.backdrop_x);
    j.key("backdrop_y").value(w.backdrop_y);
    j.key("frame_clock").value(w.frame_clock);
    j.key("hit_flag").value(w.hit_flag);
    j.key("hit_rect");
    put_rect(j, w.hit_rect);

    j.key("stick_x").value(w.stick_x);
    j.key("stick_y").value(w.stick_y);
    j.key("buttons").value(w.buttons);
    j.key("key_codes").begin_array();
    for (int32_t k : w.key_codes)
        j.value(k);
    j.end_array();
    j.key("joystick_id").value(w.joystick_id);
    j.key("stick_limits")
        .begin_array()
        .value(w.stick_limits.x_low)
        .value(w.stick_limits.x_high)
        .value(w.stick_limits.y_low)
        .value(w.stick_limits.y_high)
        .end_array();

    j.key("screen_timer").value(w.screen_timer);
    j.key("title_scroll").value(w.title_scroll);
    j.key("ending_title_y").value(w.ending_title_y);
    j.key("ending_thanks_y").value(w.ending_thanks_y);
    put_rect_table(j, "cloud_table", w.cloud_table);
    j.key("cloud_speed").begin_array();
    for (int32_t s : w.cloud_speed)
        j.value(s);
    j.end_array();

    j.end_object();
    return j.text();
}

namespace {

std::string path_error(const std::string& path, int error_number) {
    return path + ": " + std::strerror(error_number);
}

// A file written with write(2), so that every failure is seen with its reason,
// the last buffered bytes and the close included.
class OutputFile {
  public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() {
        if (fd_ >= 0) ::close(fd_);
    }

    bool open(const std::string& path, std::string& error) {
        path_ = path;
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd_ < 0) error = path_error(path, errno);
        return fd_ >= 0;
    }
    bool is_open() const { return fd_ >= 0; }

    // Buffers text, writing it out in blocks.
    bool write(std::string_view text, std::string& error) {
        buffer_.append(text);
        return buffer_.size() < block_bytes || flush(error);
    }

    bool close(std::string& error) {
        bool ok = flush(error);
        if (::close(fd_) != 0 && ok) {
            error = path_error(path_, errno);
            ok = false;
        }
        fd_ = -1;
        return ok;
    }

  private:
    static constexpr size_t block_bytes = 8192;

    bool flush(std::string& error) {
        std::string_view rest = buffer_;
        while (!rest.empty()) {
            const ssize_t n = ::write(fd_, rest.data(), rest.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error = path_error(path_, n < 0 ? errno : EIO);
                buffer_.clear();
                return false;
            }
            rest.remove_prefix(static_cast<size_t>(n));
        }
        buffer_.clear();
        return true;
    }

    std::string path_;
    int fd_ = -1;
    std::string buffer_;
};

bool write_text_file(const std::string& path, const std::string& text, std::string& error) {
    OutputFile out;
    return out.open(path, error) && out.write(text, error) && out.close(error);
}

// Whether a file can be written at path later, without creating it now: the
// path names no folder, an existing file is writable, and a new one's folder
// exists and takes new files.
bool can_write_later(const std::string& path, std::string& error) {
    if (path.back() == '/') {
        error = path + ": names a folder, not a file";
        return false;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            error = path + ": is a folder, not a file";
            return false;
        }
        if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
            error = path_error(path, errno);
            return false;
        }
        return true;
    }
    if (errno != ENOENT) {
        error = path_error(path, errno);
        return false;
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    if (::stat(folder.c_str(), &info) != 0) {
        error = path + ": the folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        error = path + ": " + folder + " is not a folder";
        return false;
    }
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        error = path + ": cannot make a file in " + folder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

// The files written at a tick: start-up refuses what cannot be written and a
// tick past the end of the run; returns the exit status 2, or 0 when all is well.
int check_tick_files(const Options& options) {
    for (const auto* files : {&options.dumps, &options.screenshots}) {
        for (const TickFile& f : *files) {
            std::string error;
            if (options.ticks && f.tick > *options.ticks) {
                error = f.path + ": tick " + std::to_string(f.tick) +
                        " comes after the last (--ticks " + std::to_string(*options.ticks) + ")";
            } else {
                can_write_later(f.path, error);
            }
            if (!error.empty()) {
                std::cerr << "vorne1.0: " << error << '\n';
                return 2;
            }
        }
    }
    return 0;
}

// The first file whose tick never came (the game quit before it), as an error.
std::string first_unreached(const Options& options, int64_t last_tick) {
    const TickFile* first = nullptr;
    size_t more = 0;
    for (const auto* files : {&options.dumps, &options.screenshots}) {
        for (const TickFile& f : *files) {
            if (f.tick <= last_tick) continue;
            if (!first || f.tick < first->tick) {
                if (first) ++more;
                first = &f;
            } else {
                ++more;
            }
        }
    }
    if (!first) return {};
    std::string error = first->path + ": not written: the game quit at tick " +
                        std::to_string(last_tick) + ", before tick " + std::to_string(first->tick);
    if (more > 0) error += " (and " + std::to_string(more) + " more not written)";
    return error;
}

}  // namespace

void report_missing_sheets(const std::vector<std::string>& problems) {
    if (problems.empty()) return;
    std::cerr << "vorne1.0: pictures missing, drawn empty: " << problems.front();
    if (problems.size() > 1) std::cerr << " (and " << problems.size() - 1 << " more)";
    std::cerr << '\n';
}

int run_headless(const Options& options, const std::string& program_folder,
                 const HeadlessServices& services) {
    std::vector<InputStep> steps;
    if (!options.inputs.empty()) {
        std::string error;
        auto read = read_inputs(options.inputs, error);
        if (!read) {
            std::cerr << "vorne1.0: " << error << '\n';
            return 2;
        }
        steps = std::move(*read);
    }

    // Every output is known to be writable before the trace is emptied.
    if (int status = check_tick_files(options); status != 0) return status;
    OutputFile trace;
    if (!options.trace.empty()) {
        std::string error;
        if (!trace.open(options.trace, error)) {
            std::cerr << "vorne1.0: " << error << '\n';
            return 2;
        }
    }

    VirtualClock clock;
    ScriptedInput input;
    RecordingSound sound;
    RecordingMusic music;
    NullText null_text;
    TextPort* text = services.text ? services.text : &null_text;
    HeadlessWindow window;
    HeadlessFiles files(program_folder, options.dialog);
    Game game(Ports{clock, input, sound, music, *text, window, files}, program_folder);
    game.map_path = options.map;
    if (services.load_image)
        report_missing_sheets(load_sheets(game.sheets, program_folder, services.load_image));
    window.set_caption(initial_caption);

    start_game(game);

    // The first failure is the one reported; the trace is closed whatever
    // happened, so that what was written of it is kept.
    std::string failure;
    size_t step_index = 0;
    int64_t step_used = 0;
    int64_t tick = 0;
    while (!options.ticks || tick < *options.ticks) {
        ++tick;
        if (step_index < steps.size()) {
            const InputStep& s = steps[step_index];
            input.set(s.stick_x, s.stick_y, s.buttons);
            if (++step_used >= s.count) {
                ++step_index;
                step_used = 0;
            }
        } else {
            input.set(0, 0, 0);
        }

        service_timers(game);
        run_tick(game);

        if (trace.is_open())
            trace.write(trace_line(tick, game, sound.played, music.sent, window.caption()) + "\n",
                        failure);
        sound.played.clear();
        music.sent.clear();

        for (const TickFile& d : options.dumps) {
            if (failure.empty() && d.tick == tick)
                write_text_file(d.path, dump_world(game.world) + "\n", failure);
        }
        for (const TickFile& s : options.screenshots) {
            if (failure.empty() && s.tick == tick)
                write_png(s.path, game.frame.width(), game.frame.height(), game.frame.pixels(),
                          &failure);
        }
        if (!failure.empty() || game.quit) break;
    }

    std::string error;
    if (trace.is_open() && !trace.close(error) && failure.empty()) failure = error;
    if (failure.empty()) failure = first_unreached(options, tick);
    if (!failure.empty()) {
        std::cerr << "vorne1.0: " << failure << '\n';
        return 1;
    }
    return 0;
}

}  // namespace vorne
