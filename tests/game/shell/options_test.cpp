#include "game/shell/options.h"

#include <gtest/gtest.h>

namespace vorne {
namespace {

ParsedOptions parse(std::vector<std::string> args) {
    return parse_options(args);
}

TEST(Options, HeadlessRunnerOptions) {
    ParsedOptions p = parse({"--headless", "--map", "m.dat", "--inputs=in.txt", "--ticks", "10",
                             "--trace", "t.jsonl", "--dump", "5:d5.json", "--dump=7:d7.json",
                             "--screenshot", "3:s.png", "--dialog", "other.dat"});
    ASSERT_EQ(p.error, "");
    const Options& o = p.options;
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.map, "m.dat");
    EXPECT_EQ(o.inputs, "in.txt");
    EXPECT_EQ(o.ticks, 10);
    EXPECT_EQ(o.trace, "t.jsonl");
    ASSERT_EQ(o.dumps.size(), 2u);
    EXPECT_EQ(o.dumps[1].tick, 7);
    EXPECT_EQ(o.dumps[1].path, "d7.json");
    ASSERT_EQ(o.screenshots.size(), 1u);
    EXPECT_EQ(o.screenshots[0].path, "s.png");
    EXPECT_EQ(o.dialog, "other.dat");
}

TEST(Options, WindowOptions) {
    ParsedOptions p = parse({"--map", "x.dat", "--scale", "2"});
    ASSERT_EQ(p.error, "");
    EXPECT_FALSE(p.options.headless);
    EXPECT_EQ(p.options.scale, 2);
    EXPECT_EQ(parse({}).options.scale, 3);
    // A path with a colon stays whole after the tick.
    EXPECT_EQ(parse({"--headless", "--dump", "1:a:b.json"}).options.dumps[0].path, "a:b.json");
}

TEST(Options, BadCommandLinesNameTheProblem) {
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    for (const Case& c : std::vector<Case>{
             {{"--bogus"}, "unknown option '--bogus'"},
             {{"extra"}, "unknown option 'extra'"},
             {{"--headless", "--ticks"}, "--ticks needs"},
             {{"--headless", "--ticks", "-1"}, "--ticks needs"},
             {{"--headless", "--ticks", "12x"}, "--ticks needs"},
             {{"--headless", "--dump", "0:x.json"}, "--dump needs TICK:FILE"},
             {{"--headless", "--dump", "5"}, "--dump needs TICK:FILE"},
             {{"--headless", "--screenshot", "5:"}, "--screenshot needs TICK:FILE"},
             {{"--scale", "0"}, "--scale needs"},
             {{"--scale", "17"}, "--scale needs"},
             {{"--trace", "t.jsonl"}, "--trace needs --headless"},
             {{"--help=yes"}, "--help takes no value"},
             {{"--map"}, "--map needs"},
         }) {
        ParsedOptions p = parse(c.args);
        EXPECT_NE(p.error.find(c.says), std::string::npos)
            << "args[0]=" << c.args[0] << " error=" << p.error;
    }
}

}  // namespace
}  // namespace vorne
