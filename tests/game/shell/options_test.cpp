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

TEST(Options, SolveOptions) {
    ParsedOptions p = parse({"--solve", "m.dat", "--stage", "3", "--out=a.txt", "--budget", "2.5"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.solve, "m.dat");
    EXPECT_EQ(p.options.stage, 3);
    EXPECT_EQ(p.options.out, "a.txt");
    EXPECT_EQ(p.options.budget, 2.5);
    EXPECT_EQ(parse({"--solve", "m.dat"}).options.budget, 60);
}

TEST(Options, WindowOptions) {
    ParsedOptions p = parse({"--map", "x.dat", "--scale", "2"});
    ASSERT_EQ(p.error, "");
    EXPECT_FALSE(p.options.headless);
    EXPECT_EQ(p.options.scale, 2);
    EXPECT_EQ(parse({}).options.scale, 3);
    EXPECT_EQ(parse({}).options.renderer, "auto");
    EXPECT_EQ(parse({"--renderer=software"}).options.renderer, "software");
    EXPECT_EQ(parse({"--renderer", "gpu"}).options.renderer, "gpu");
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
             {{"--renderer"}, "--renderer needs auto, gpu or software"},
             {{"--renderer", "opengl"}, "--renderer needs auto, gpu or software"},
             {{"--solve", "m.dat", "--budget", "0"}, "--budget needs a number of seconds"},
             {{"--solve", "m.dat", "--budget", "1e3"}, "--budget needs a number of seconds"},
             {{"--solve", "m.dat", "--headless"}, "--solve takes only --stage, --out and --budget"},
             {{"--solve", "m.dat", "--map", "m.dat"}, "--solve takes only"},
             {{"--out", "x.txt"}, "--out needs --solve FILE"},
             {{"--headless", "--budget", "5"}, "--budget needs --solve FILE"},
         }) {
        ParsedOptions p = parse(c.args);
        EXPECT_NE(p.error.find(c.says), std::string::npos)
            << "args[0]=" << c.args[0] << " error=" << p.error;
    }
}

// Each argument is read in turn, and the first bad one is the one named: a
// flag takes no value (not even an empty one), "--opt=" is an empty value, an
// option's value is the next argument whatever it looks like, short options do
// not run together, and numbers are plain decimals.
TEST(Options, EdgesOfTheCommandLine) {
    auto shown = [](const ParsedOptions& p) {
        if (!p.error.empty()) return p.error;
        const Options& o = p.options;
        std::string s = "map=" + o.map + " scale=" + std::to_string(o.scale) +
                        " ticks=" + (o.ticks ? std::to_string(*o.ticks) : "-");
        for (const TickFile& d : o.dumps)
            s += " dump=" + std::to_string(d.tick) + ":" + d.path;
        return s;
    };
    const std::string unknown = "unknown option '";
    struct Case {
        std::vector<std::string> args;
        std::string shown;
    };
    for (const Case& c : std::vector<Case>{
             {{"--help="}, "--help takes no value"},
             {{"--help=true"}, "--help takes no value"},
             {{"--headless="}, "--headless takes no value"},
             {{"-hh"}, unknown + "-hh' (try --help)"},
             {{"-h=x"}, unknown + "-h=x' (try --help)"},
             {{"--"}, unknown + "--' (try --help)"},
             {{"--map=", "x"}, "--map needs a stage file"},
             {{"--scale=", "5"}, "--scale needs a whole number from 1 to 16"},
             {{"--map", "--headless"}, "map=--headless scale=3 ticks=-"},
             {{"--map", "a", "--map", "b", "--scale=16"}, "map=b scale=16 ticks=-"},
             {{"--scale", "03"}, "map= scale=3 ticks=-"},
             {{"--scale", "+3"}, "--scale needs a whole number from 1 to 16"},
             {{"--scale", " 3"}, "--scale needs a whole number from 1 to 16"},
             {{"--scale", "0x3"}, "--scale needs a whole number from 1 to 16"},
             {{"--headless", "--ticks", "010"}, "map= scale=3 ticks=10"},
             {{"--headless", "--ticks", "-0"}, "map= scale=3 ticks=0"},
             {{"--headless", "--ticks", "9223372036854775808"},
              "--ticks needs a whole number of 0 or more"},
             {{"--headless", "--dump", "01:a"}, "map= scale=3 ticks=- dump=1:a"},
             {{"--headless", "--dump", "+1:a"}, "--dump needs TICK:FILE with a tick of 1 or more"},
             {{"--headless", "--dump", "1:a", "2:b"}, unknown + "2:b' (try --help)"},
             {{"--bogus", "--scale", "0"}, unknown + "--bogus' (try --help)"},
             {{"--scale", "0", "--bogus"}, "--scale needs a whole number from 1 to 16"},
             {{"--help", "--check", "x"}, "--check takes no other options"},
             {{"--check", "x", "--check", "y"}, "--check takes no other options"},
             {{"--check", "x", "--bogus"}, unknown + "--bogus' (try --help)"},
             {{"--trace", "t", "--inputs", "i"}, "--inputs needs --headless"},
             {{"--dialog", "d", "--ticks", "1"}, "--ticks needs --headless"},
         }) {
        EXPECT_EQ(shown(parse(c.args)), c.shown) << "args[0]=" << c.args[0];
    }
}

}  // namespace
}  // namespace vorne
