// Decoding of what a terminal sends (keys as characters, UTF-8 and escape
// sequences; mouse reports) into the key event texts and control-key states
// of the console interface, with PC scan codes for keys without a character.
// Pure: bytes in, events out, so it can be tested with recorded byte strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/console.h"

namespace platform {

// What the decoder remembers between reads.
struct KeyDecoderState {
    // X10 mouse releases do not say which button went up.
    std::uint8_t pressed_button = 0;
    // Inside a string (OSC, DCS, APC, PM) or an overlong control sequence
    // whose start has been taken: the rest is skipped up to its end.
    enum class Skip : std::uint8_t { none, string, control_sequence } skip = Skip::none;
};

// How long to wait for the rest of unfinished input.
enum class KeyWait {
    none,
    // A lone Esc, or Esc and a character that may start a string: short,
    // since the Esc key and Alt+key are decided by it.
    esc,
    // Inside a sequence (after ESC [ or ESC O, a UTF-8 character, a
    // string): long, so that bytes held up on a slow link are not lost.
    sequence,
};

struct DecodeStep {
    // Bytes taken from the front of the input; 0 when more are needed.
    std::size_t consumed = 0;
    // The event those bytes make; none for sequences that carry nothing the
    // program reads (presses, unknown keys, terminal replies).
    std::optional<InputEvent> event;
    // With consumed 0: how long to wait for more.
    KeyWait wait = KeyWait::none;
};

// Decodes the first event of `bytes`. A prefix of a longer sequence gives
// consumed 0 unless `timed_out`, which says no more bytes came within its
// wait: then a lone Esc is the Esc key, an Esc before a character is Alt
// with that character, and a broken sequence is dropped.
DecodeStep decode_terminal_input(std::string_view bytes, bool timed_out, KeyDecoderState& state);

struct DecodedInput {
    std::vector<InputEvent> events;
    // The length of the unfinished tail, and how long to wait for its rest
    // (also while a string is being skipped with nothing left over).
    std::size_t left = 0;
    KeyWait wait = KeyWait::none;
};

// Every event of `bytes`.
DecodedInput decode_all(std::string_view bytes, bool timed_out, KeyDecoderState& state);

// The PC scan code of a letter key, 0 for any other byte.
std::uint8_t letter_scan_code(char letter);

}  // namespace platform
