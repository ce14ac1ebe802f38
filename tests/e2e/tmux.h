// A detached tmux session of 80 x 25 on a server of its own, running a
// program: keys sent by name or as raw bytes, the screen read back.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace test_e2e {

// Runs a program with arguments (no shell) and gives its standard output.
std::string run(const std::vector<std::string>& argv, int* exit_code = nullptr);
bool have_tmux();

// One detached tmux session of 80 x 25 on its own server, running a program.
class Tmux {
public:
    // An empty `term` keeps the TERM that tmux gives its panes.
    Tmux(const std::string& program, const std::string& term);
    ~Tmux() { tmux({"kill-server"}); }

    std::string tmux(std::vector<std::string> args, int* code = nullptr) const {
        args.insert(args.begin(), {"env", "LC_ALL=C.UTF-8", "tmux", "-L", socket_});
        return run(args, code);
    }
    void keys(const std::vector<std::string>& names) const {
        std::vector<std::string> args{"send-keys", "-t", "0"};
        args.insert(args.end(), names.begin(), names.end());
        tmux(args);
    }
    void bytes(const std::vector<std::string>& hex) const {
        std::vector<std::string> args{"send-keys", "-t", "0", "-H"};
        args.insert(args.end(), hex.begin(), hex.end());
        tmux(args);
    }
    std::string screen(bool colours = false) const {
        return colours ? tmux({"capture-pane", "-p", "-e", "-N", "-t", "0"}) : tmux({"capture-pane", "-p", "-t", "0"});
    }
    std::string pane(const std::string& format) const {
        std::string s = tmux({"display-message", "-p", "-t", "0", format});
        while (!s.empty() && s.back() == '\n') s.pop_back();
        return s;
    }
    // The program under the pane's shell.
    int program_pid() const;

    // Polls until the condition holds; a loaded machine gets many seconds.
    bool wait_until(const std::function<bool()>& condition) const;
    bool wait_for_text(const std::string& text) const {
        return wait_until([&] { return screen().find(text) != std::string::npos; });
    }

private:
    std::string socket_;
};

}  // namespace test_e2e
