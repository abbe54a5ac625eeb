// Time and peak memory of reading large and hostile stage files and inputs
// files, for the figures in a change's notes (it asserts nothing). Each case
// runs in a child process of its own, so that its peak memory is its own.
// Build and run a Release build for figures that mean anything:
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target reading_figures vorne1.0
//   build/bench/tests/reading_figures build/bench/bin/vorne1.0
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "editor/stage_files.h"
#include "stagefile/check.h"

namespace fs = std::filesystem;
using namespace vorne;

namespace {

// Runs work in a child; prints wall time, peak memory and what it said.
void measure(const std::string& name, const std::function<std::string()>& work) {
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) return;
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe_fds[0]);
        std::string said = work();
        if (said.size() > 70) said = said.substr(0, 67) + "...";
        (void)!::write(pipe_fds[1], said.data(), said.size());
        ::_exit(0);
    }
    ::close(pipe_fds[1]);
    std::string said;
    char buffer[256];
    ssize_t got = 0;
    while ((got = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0)
        said.append(buffer, static_cast<size_t>(got));
    ::close(pipe_fds[0]);
    int status = 0;
    struct rusage usage {};
    ::wait4(child, &status, 0, &usage);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    for (char& c : said)
        if (c == '\n') c = ' ';
    std::printf("%-34s %9.1f ms %8.1f MB  %s\n", name.c_str(), ms, usage.ru_maxrss / 1024.0,
                said.c_str());
    std::fflush(stdout);
}

// Runs a program with its output thrown away; says its exit status.
std::string run(const std::vector<std::string>& args) {
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return "exit " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

void write_repeated(const fs::path& path, const std::string& head, const std::string& unit,
                    uint64_t bytes) {
    std::ofstream out(path, std::ios::binary);
    out << head;
    std::string chunk;
    while (chunk.size() < (1u << 20))
        chunk += unit;
    for (uint64_t written = 0; written < bytes; written += chunk.size())
        out.write(chunk.data(),
                  static_cast<std::streamsize>(std::min<uint64_t>(chunk.size(), bytes - written)));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: reading_figures PATH/TO/vorne1.0\n");
        return 2;
    }
    const std::string game = fs::absolute(argv[1]).string();
    const fs::path folder =
        fs::temp_directory_path() / ("vorne_figures_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const auto at = [&](const char* name) { return (folder / name).string(); };

    write_repeated(at("cr_1m.dat"), "", "\r", 1u << 20);
    write_repeated(at("cr_60m.dat"), "", "\r", 60u << 20);
    write_repeated(at("lf_60m.dat"), "", "1\naaa\n", 60u << 20);
    write_repeated(at("long_row.dat"), "1\r\naaa\r\n1\r\n", "a", 60u << 20);
    {
        std::ofstream(at("huge.dat"), std::ios::binary) << "1\r\n";
        fs::resize_file(at("huge.dat"), (100u << 20));
        std::mt19937 random(1);
        std::string bytes(10u << 20, '\0');
        for (char& b : bytes)
            b = static_cast<char>(random());
        std::ofstream(at("random_10m.dat"), std::ios::binary) << bytes;
    }
    ::mkfifo(at("fifo.dat").c_str(), 0600);
    // The most lines an inputs file may hold, none of them merging with the next.
    write_repeated(at("inputs_16m.txt"), "", "1 0 0\n0 0 0\n", (16u << 20) / 12 * 12);
    write_repeated(at("press.txt"), "", "0 0 1\n", 6);

    std::printf("%-34s %12s %11s  %s\n", "case", "time", "peak", "result");
    for (const char* name : {"cr_1m.dat", "cr_60m.dat", "lf_60m.dat", "long_row.dat", "huge.dat",
                             "random_10m.dat", "fifo.dat"}) {
        const std::string path = at(name);
        measure(std::string("check ") + name, [&] { return run({game, "--check", path}); });
        measure(std::string("editor load ") + name, [&] {
            editor::LoadedStage stage;
            std::string error;
            return editor::read_stage_file(path, stage, error) ? std::string("loaded") : error;
        });
        measure(std::string("game, 200 ticks, ") + name, [&] {
            return run(
                {game, "--headless", "--map", path, "--inputs", at("press.txt"), "--ticks", "200"});
        });
    }
    for (const char* path : {"/dev/zero", "/dev/urandom"}) {
        measure(std::string("check ") + path, [&] { return run({game, "--check", path}); });
        measure(std::string("game --inputs ") + path, [&] {
            return run({game, "--headless", "--inputs", path, "--ticks", "1"});
        });
    }
    measure("game --inputs 16 MiB, 1 tick", [&] {
        return run({game, "--headless", "--inputs", at("inputs_16m.txt"), "--ticks", "1"});
    });
    fs::remove_all(folder);
    return 0;
}
