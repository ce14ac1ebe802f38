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

}  // namespace platform
