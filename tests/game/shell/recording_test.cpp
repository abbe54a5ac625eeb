#include "game/shell/recording.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "game/shell/replay.h"

namespace vorne {
namespace {

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Equal ticks merge into one N* line, a note breaks a run, and the text reads
// back as the same ticks.
TEST(Recorder, MergesEqualTicksAndReadsBack) {
    const std::string path = ::testing::TempDir() + "recorder.txt";
    Recorder recorder;
    std::string error;
    ASSERT_TRUE(recorder.open(path, "# head\n", error)) << error;
    for (int i = 0; i < 3; ++i)
        recorder.tick(1, 0, 0);
    recorder.tick(0, -1, 1 | input_focus_lost);
    recorder.note(dialog_note(std::nullopt));
    recorder.tick(0, -1, 1 | input_focus_lost);
    recorder.tick(0, 0, 0);
    ASSERT_TRUE(recorder.finish("quit with Esc", error)) << error;
    const std::string text = read_all(path);
    EXPECT_EQ(text,
              "# head\n3*1 0 0\n0 -1 33\n# dialog: cancelled\n0 -1 33\n0 0 0\n"
              "# end: 6 ticks, quit with Esc\n");
    auto steps = parse_inputs(text, path, error);
    ASSERT_TRUE(steps) << error;
    int64_t ticks = 0;
    for (const InputStep& s : *steps)
        ticks += s.count;
    EXPECT_EQ(ticks, 6);
}

// Each stage block hashes on its own bytes: changing one stage changes its
// hash alone; a byte order mark belongs to the first.
TEST(StageHashes, PerStage) {
    const std::string one = "3\r\naaa\r\nabf\r\naaa\r\n", two = "2\r\naaaa\r\nadba\r\n";
    const std::string two_changed = "2\r\naaaa\r\nabda\r\n";
    const StageFileHashes base = hash_stage_text(one + two + one);
    ASSERT_EQ(base.stages.size(), 3u);
    EXPECT_EQ(base.stages[0].bytes, one.size());
    EXPECT_EQ(base.stages[1].hash, fnv1a64(two));
    EXPECT_EQ(base.stages[0].hash, base.stages[2].hash);
    EXPECT_EQ(hex64(fnv1a64("a")), "af63dc4c8601ec8c");  // FNV-1a 64 of "a"

    struct Case {
        std::string text;
        bool first_same, second_same;
    } cases[] = {
        {one + two_changed + one, true, false},
        {"\xEF\xBB\xBF" + one + two + one, false, true},
        {one + two + one + two, true, true},
    };
    for (const Case& c : cases) {
        const StageFileHashes now = hash_stage_text(c.text);
        ASSERT_GE(now.stages.size(), 3u);
        EXPECT_EQ(now.stages[0].hash == base.stages[0].hash, c.first_same);
        EXPECT_EQ(now.stages[1].hash == base.stages[1].hash, c.second_same);
        EXPECT_NE(now.hash, base.hash);
    }
}

// The header names the file and the stage by size and hash, and reads back.
TEST(RecordingHeader, WrittenAndRead) {
    const std::string path = ::testing::TempDir() + "header_stages.dat";
    std::ofstream(path, std::ios::binary) << "3\r\naaa\r\nabf\r\naaa\r\n2\r\naaaa\r\nadba\r\n";
    std::string error;
    auto text = recording_header(path, 2, path, error);
    ASSERT_TRUE(text) << error;
    const RecordingHeader header =
        parse_recording_header(*text + "0 0 1\n# dialog: maps/x.dat\n# dialog: cancelled\n");
    EXPECT_EQ(header.map, path);
    EXPECT_EQ(header.stage, 2);
    EXPECT_EQ(header.file, path);
    const StageFileHashes now = hash_stage_file(path);
    ASSERT_TRUE(header.stage_hash && header.file_hash);
    EXPECT_EQ(header.stage_hash->hash, now.stages[1].hash);
    EXPECT_EQ(header.stage_hash->bytes, now.stages[1].bytes);
    EXPECT_EQ(header.file_hash->hash, now.hash);
    ASSERT_EQ(header.dialog_answers.size(), 2u);
    EXPECT_EQ(header.dialog_answers[0], "maps/x.dat");
    EXPECT_FALSE(header.dialog_answers[1]);
    EXPECT_FALSE(recording_header(std::nullopt, std::nullopt, "a\nb", error));
}

class FakeClock : public ClockPort {
  public:
    uint32_t now_ms() override { return now; }
    void sleep_ms(uint32_t ms) override { now += ms > 0 ? ms : 1; }
    uint32_t now = 1000;
};

// A replay's clock runs at its speed and stands still while held.
TEST(ScaledClock, SpeedAndHold) {
    FakeClock real;
    ScaledClock clock(real);
    const uint32_t start = clock.now_ms();
    clock.sleep_until_ms(start + 40);
    EXPECT_EQ(real.now, 1040u);
    clock.set_speed(8);
    clock.sleep_until_ms(clock.now_ms() + 40);
    EXPECT_EQ(real.now, 1045u);
    EXPECT_EQ(clock.now_ms(), start + 80);
    clock.hold();
    real.now += 500;
    EXPECT_EQ(clock.now_ms(), start + 80);
    clock.resume();
    real.now += 1;
    EXPECT_EQ(clock.now_ms(), start + 88);
}

class Keys : public InputPort {
  public:
    bool key_down(int32_t key) override { return down.count(key) > 0; }
    uint32_t joy_num_devs() override { return 0; }
    uint32_t joy_get_pos(uint32_t, JoyPosition&) override { return 1; }
    uint32_t joy_get_caps(uint32_t, JoyCaps&) override { return 1; }
    std::set<int32_t> down;
};

// The viewer's keys act when they go down, not while held.
TEST(ReplayControls, KeysActOnceWhenPressed) {
    Keys keys;
    ReplayControls controls;
    keys.down = {'3', 'P'};
    ReplayKeys first = controls.poll(keys);
    EXPECT_EQ(first.speed, 4u);
    EXPECT_TRUE(first.pause_pressed);
    ReplayKeys held = controls.poll(keys);
    EXPECT_FALSE(held.speed);
    EXPECT_FALSE(held.pause_pressed);
    keys.down = {'P', 27};
    ReplayKeys quit = controls.poll(keys);
    EXPECT_FALSE(quit.pause_pressed);
    EXPECT_TRUE(quit.quit);
}

}  // namespace
}  // namespace vorne
