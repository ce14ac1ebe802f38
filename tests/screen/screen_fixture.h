// A headless console installed as the console of the run, a session
// directory of its own and the screen kit's state reset, for each test.
#pragma once

#include <gtest/gtest.h>

#include "platform/console.h"
#include "platform/headless_console.h"
#include "screen/state.h"
#include "startup/session.h"
#include "support/temp_dir.h"

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_session = startup::session;
        startup::session.session_dir = dir.path();
        startup::session.screen_palette = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}};
        screen::screen_state = {};
        platform::set_console(&console);
    }
    void TearDown() override {
        platform::set_console(nullptr);
        screen::screen_state = {};
        startup::session = saved_session;
    }

    startup::Session saved_session;
    test_support::TempDir dir;
    platform::HeadlessConsole console;
};
