#include "test_screen.h"

#include <string>

#include "platform/cp850.h"

namespace test_screen {

using platform::operator""_cp850;

void paint(platform::Console& c) {
    c.set_attribute(0x07);
    c.clear();
    // Every byte: 16 to a row, each in its own colour pair. The five that
    // print as controls (BEL, BS, TAB, LF, CR) cannot be placed in a cell.
    for (int b = 0; b < 256; ++b) {
        if (b == 7 || b == 8 || b == 9 || b == 10 || b == 13) continue;
        c.place_cursor(1 + b / 16, 1 + (b % 16) * 5);
        c.set_colour(b % 16, (b / 16 + b) % 16);
        c.print(std::string(1, static_cast<char>(b)));
        c.print("\xDB");
    }
    c.set_colour(15, 1);
    c.place_cursor(18, 10);
    c.print("╔═══════════╗"_cp850);
    c.place_cursor(19, 10);
    c.print("║ DESCRIPCIÓ║"_cp850);
    c.place_cursor(20, 10);
    c.print("╚═══════════╝"_cp850);
    c.set_colour(14, 4);
    c.place_cursor(22, 1);
    c.print("Caña, €, ► ◄ "_cp850);
    // The bottom-right corner, which must not scroll the screen away.
    c.set_colour(0, 7);
    c.place_cursor(25, 75);
    c.print("final");
    c.hide_cursor();
}

}  // namespace test_screen
