#include "game/platform/sdl_files.h"

#include <SDL.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>
#include <vector>

namespace vorne {

std::string running_program_folder() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return ".";
    return exe.parent_path().string();
}

namespace {

// Runs a dialog program and returns the first line it prints, or nullopt when
// it was cancelled or could not run.
std::optional<std::string> run_dialog(const std::vector<std::string>& argv, SdlWindow* window) {
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return std::nullopt;
    pid_t pid = fork();
    if (pid < 0) {
        close(pipe_fds[0]);
        close(pipe_fds[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        dup2(pipe_fds[1], STDOUT_FILENO);
        close(pipe_fds[0]);
        close(pipe_fds[1]);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(pipe_fds[1]);
    // The game waits for the answer as for a modal dialog, but the window
    // keeps answering the desktop and showing its last picture meanwhile.
    std::string output;
    char buffer[4096];
    for (;;) {
        pollfd ready{pipe_fds[0], POLLIN, 0};
        int polled = poll(&ready, 1, 30);
        if (window)
            window->keep_showing();
        else
            SDL_PumpEvents();
        if (polled < 0 && errno != EINTR) break;
        if (polled <= 0) continue;
        ssize_t n = read(pipe_fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        output.append(buffer, static_cast<size_t>(n));
    }
    close(pipe_fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    size_t end = output.find('\n');
    if (end != std::string::npos) output.resize(end);
    if (output.empty()) return std::nullopt;
    return output;
}

bool on_path(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::string dirs = path;
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

std::optional<std::string> SdlFiles::open_file_dialog(std::string_view filter) {
    // The filter "label(*.ext)|*.ext|" becomes the desktop dialog's own form.
    std::string label = "データ(*.dat)", pattern = "*.dat";
    std::string f(filter);
    size_t bar = f.find('|');
    if (bar != std::string::npos) {
        label = f.substr(0, bar);
        size_t bar2 = f.find('|', bar + 1);
        pattern = f.substr(bar + 1, bar2 == std::string::npos ? std::string::npos : bar2 - bar - 1);
    }
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    bool kde = desktop && std::string(desktop).find("KDE") != std::string::npos;
    bool have_zenity = on_path("zenity"), have_kdialog = on_path("kdialog");
    if (have_kdialog && (kde || !have_zenity))
        return run_dialog({"kdialog", "--getopenfilename", folder_, pattern + "|" + label},
                          window_);
    if (have_zenity)
        return run_dialog(
            {"zenity", "--file-selection", "--title=VORNE", "--filename=" + folder_ + "/",
             "--file-filter=" + label + " | " + pattern},
            window_);
    show_message("VORNE", "No file dialog is available: install zenity or kdialog.");
    return std::nullopt;
}

void SdlFiles::show_message(std::string_view title, std::string_view text) {
    std::string t(title), m(text);
    std::cerr << "vorne1.0: " << m << '\n';
    if (!window_) {
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, t.c_str(), m.c_str(), nullptr);
        return;
    }
    // The box waits on a thread of its own so that this one keeps the game
    // window showing its picture until the box is closed.
    std::atomic<bool> closed{false};
    std::thread box([&] {
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, t.c_str(), m.c_str(), window_->handle());
        closed = true;
    });
    while (!closed) {
        window_->keep_showing();
        SDL_Delay(20);
    }
    box.join();
}

}  // namespace vorne
