#include "platform/process.h"

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

namespace platform {

namespace {

std::vector<std::function<void()>>& end_actions() {
    static std::vector<std::function<void()>> actions;
    return actions;
}

}  // namespace

void sleep_ms(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

double random_fraction() {
    static std::mt19937_64 engine{std::random_device{}()};
    return std::uniform_real_distribution<double>(0.0, 1.0)(engine);
}

void at_process_end(std::function<void()> action) { end_actions().push_back(std::move(action)); }

void run_process_end_actions() {
    auto& actions = end_actions();
    while (!actions.empty()) {
        auto action = std::move(actions.back());
        actions.pop_back();
        action();
    }
}

void end_process(int exit_code) {
    run_process_end_actions();
    std::exit(exit_code);
}

}  // namespace platform
