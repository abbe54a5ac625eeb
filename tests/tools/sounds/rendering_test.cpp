// Finishing a rendering: where it ends and how loud it comes out.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/soundgen/rendering.h"

namespace vorne::soundgen {
namespace {

TEST(Rendering, EndsAtTheBarLineOrWhereTheSoundDiesAndStaysUnderTheCeiling) {
    struct Case {
        float level;         // of the first 2 s; then 1 s at -100 dBFS
        double bar_line;     // s
        double seconds;      // expected
        double gain_db;      // expected
        double peak_out_db;  // expected, within 0.01 dB
    };
    const Case cases[] = {
        {0.5f, 1.5, 2.0, 0.0, -6.02},    // rings past its bar line: cut where it dies
        {0.5f, 2.5, 2.5, 0.0, -6.02},    // never cut before its bar line
        {0.9f, 1.0, 2.0, -2.585, -3.5},  // too loud: lowered to the ceiling
        {0.5f, 9.0, 3.0, 0.0, -6.02},    // a bar line past the end keeps it all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.level) + " " + std::to_string(c.bar_line));
        Rendering r{1000, 2, {}};
        for (int f = 0; f < 3000; ++f) {
            const float v = f < 2000 ? (f % 2 ? c.level : -c.level) : 1e-5f;
            r.samples.insert(r.samples.end(), {v, v});
        }
        const FinishedRendering done = finish_rendering(r, c.bar_line, -3.5);
        EXPECT_DOUBLE_EQ(done.seconds, c.seconds);
        EXPECT_EQ(done.samples.size(), static_cast<size_t>(c.seconds * 1000) * 2);
        EXPECT_NEAR(done.gain_db, c.gain_db, 0.001);
        EXPECT_NEAR(done.peak_out_db, c.peak_out_db, 0.01);
        EXPECT_EQ(done.samples.back(), 0) << "faded to silence at the cut";
    }
}

}  // namespace
}  // namespace vorne::soundgen
