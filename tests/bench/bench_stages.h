// The stages the benchmarks measure: one holding every table to its
// capacity, and a small one of the usual kind.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vorne::bench {

// Letters taken from a pool in turn, then "z".
class Pool {
  public:
    explicit Pool(std::vector<std::pair<char, int>> counts) : counts_(std::move(counts)) {}
    char next() {
        for (size_t tries = 0; tries < counts_.size(); ++tries) {
            auto& [letter, left] = counts_[turn_++ % counts_.size()];
            if (left > 0) {
                --left;
                return letter;
            }
        }
        return 'z';
    }

  private:
    std::vector<std::pair<char, int>> counts_;
    size_t turn_ = 0;
};

// A 100 x 50 stage framed by 296 walls, holding every table to its capacity:
// 400 walls, ladders, coins, keys and locks of both kinds, 400 enemies each
// of kinds g, h and j and 399 of kind i. Seventeen rows of enemies stand on
// seventeen floors of ladders, locks and walls; thirteen rows of items below.
inline std::vector<std::string> full_stage() {
    constexpr int width = 100;
    constexpr int height = 50;
    std::vector<std::string> rows(height, std::string(width, 'z'));
    for (int c = 0; c < width; ++c)
        rows[0][c] = rows[height - 1][c] = 'a';
    for (int r = 0; r < height; ++r)
        rows[r][0] = rows[r][width - 1] = 'a';
    const int frame_walls = 2 * width + 2 * (height - 2);
    Pool enemies({{'g', 400}, {'h', 400}, {'i', 399}, {'j', 400}});
    Pool floors({{'c', 400}, {'l', 400}, {'c', 0}, {'n', 400}, {'a', 400 - frame_walls}});
    Pool items({{'d', 400}, {'k', 400}, {'m', 400}});
    int r = 1;
    for (int pair = 0; pair < 17; ++pair, r += 2) {
        for (int c = 1; c < width - 1; ++c) {
            rows[r][c] = enemies.next();
            rows[r + 1][c] = floors.next();
        }
    }
    for (; r < height - 1; ++r) {
        for (int c = 1; c < width - 1; ++c)
            rows[r][c] = items.next();
    }
    // The player on the bottom floor, with the power item and the door.
    rows[height - 2][2] = 'b';
    rows[height - 2][3] = 'e';
    rows[height - 2][width - 3] = 'f';
    return rows;
}

// A small stage of the usual kind.
inline std::vector<std::string> small_stage() {
    return {
        "aaaaaaaaaaaaaaaaaaaa",  //
        "azzzzzzzzzzzzzzzzzfa",  //
        "azzdzzgzzzdzzzzzaaca",  //
        "aaaaaacaaaaaazzzzzca",  //
        "azzzzzczzzdzzzhzzzca",  //
        "azkzzzczzaaaaaaaaaaa",  //
        "aaaaazczzzzzzzzzzzza",  //
        "azzzzzczzzzizzzdzzza",  //
        "azzzzaaaaaaaaaaazzza",  //
        "azdzlzzzzzzzzzzzzzza",  //
        "aaaaaazzzzzzzjzzzzza",  //
        "azbezzzzzaaaaaaaaaaa",  //
        "aaaaaaaaaaaaaaaaaaaa",
    };
}

}  // namespace vorne::bench
