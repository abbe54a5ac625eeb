// A game on in-memory ports for tests: the headless runner's ports, with the
// clock and the log open to the test.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "game/shell/game.h"
#include "game/shell/headless_ports.h"

namespace vorne::testing {

// A clock the test moves by hand; the game's waits move it too and are logged.
class ManualClock : public ClockPort {
  public:
    uint32_t now_ms() override { return now; }
    void sleep_ms(uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms > 0 ? ms : 1;
    }
    uint32_t now = 1000;
    std::vector<uint32_t> sleeps;
};

class CountingWindow : public HeadlessWindow {
  public:
    void refresh(const FrameBuffer&) override { ++refreshes; }
    int refreshes = 0;
};

// Started as the program starts; the logs begin empty.
struct TestGame {
    explicit TestGame(std::string folder = "/nonexistent-vorne-test",
                      std::optional<std::string> dialog_answer = std::nullopt)
        : files(folder, std::move(dialog_answer)),
          game(Ports{clock, input, sound, music, text, window, files}, folder) {
        start_game(game);
        music.sent.clear();
        sound.played.clear();
    }

    ManualClock clock;
    ScriptedInput input;
    RecordingSound sound;
    RecordingMusic music;
    NullText text;
    CountingWindow window;
    HeadlessFiles files;
    Game game;
};

}  // namespace vorne::testing
