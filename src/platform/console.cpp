#include "platform/console.h"

#include "platform/headless_console.h"

namespace platform {

namespace {

Console* installed = nullptr;

Console& fallback() {
    static HeadlessConsole headless;
    return headless;
}

}  // namespace

Console& console() { return installed ? *installed : fallback(); }

void set_console(Console* c) { installed = c; }

InputEvent wheel_key(bool up) {
    InputEvent e{std::string{'\0', up ? '\x48' : '\x50'}, 0, {}};
    e.wheel = true;
    return e;
}

}  // namespace platform
