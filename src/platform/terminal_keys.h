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

// What the decoder remembers between sequences: X10 mouse releases do not
// say which button went up.
struct KeyDecoderState {
    std::uint8_t pressed_button = 0;
};

struct DecodeStep {
    // Bytes taken from the front of the input; 0 when more are needed.
    std::size_t consumed = 0;
    // The event those bytes make; none for sequences that carry nothing the
    // program reads (presses, wheel, unknown keys).
    std::optional<InputEvent> event;
};

// Decodes the first event of `bytes`. A prefix of a longer sequence gives
// consumed 0 unless `timed_out`, which says no more bytes came within the
// Esc wait: then a lone Esc is the Esc key and an Esc before a character is
// Alt with that character.
DecodeStep decode_terminal_input(std::string_view bytes, bool timed_out, KeyDecoderState& state);

// Every event of `bytes`; the unfinished tail's length goes to `left`.
std::vector<InputEvent> decode_all(std::string_view bytes, bool timed_out, KeyDecoderState& state, std::size_t& left);

// The PC scan code of a letter key, 0 for any other byte.
std::uint8_t letter_scan_code(char letter);

}  // namespace platform
