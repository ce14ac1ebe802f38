// A model terminal for the tests of the terminal backend: what it is sent is
// played on it, and it must then show the console's cells.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console.h"
#include "platform/cp850.h"

namespace test_support {

using platform::Cell;
using platform::Console;
using platform::cp850_glyph;

// Enough of a terminal to follow what the backend sends: cursor placing and
// moves, clearing and erasing in the current colours, colours, cursor
// visibility and shape, UTF-8 text. A move relative to a cursor that waits
// to wrap after the last column is a failure: terminals differ there.
// The character of the UTF-8 sequence at `i`, moving `i` past it.
inline char32_t next_utf8(std::string_view s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    char32_t ch = b;
    std::size_t len = 1;
    if (b >= 0xF0) {
        ch = b & 7;
        len = 4;
    } else if (b >= 0xE0) {
        ch = b & 15;
        len = 3;
    } else if (b >= 0xC0) {
        ch = b & 31;
        len = 2;
    }
    for (std::size_t k = 1; k < len && i + k < s.size(); ++k)
        ch = ch << 6 | (static_cast<unsigned char>(s[i + k]) & 63);
    i += len;
    return ch;
}

struct TerminalModel {
    explicit TerminalModel(int rows = 25, int columns = 80)
        : rows(rows),
          columns(columns),
          glyph(static_cast<std::size_t>(rows * columns), U' '),
          attr(static_cast<std::size_t>(rows * columns), 0x07) {}

    void feed(std::string_view s) {
        for (std::size_t i = 0; i < s.size();) {
            if (s[i] == '\x1b' && i + 1 < s.size() && s[i + 1] == '[') {
                std::size_t j = i + 2;
                while (j < s.size() && !(s[j] >= 0x40 && s[j] <= 0x7E)) ++j;
                ASSERT_LT(j, s.size()) << "unfinished sequence";
                control(s.substr(i + 2, j - i - 2), s[j]);
                i = j + 1;
            } else if (s[i] == '\x1b' && i + 1 < s.size() && s[i + 1] == ']') {
                const std::size_t end = s.find('\a', i);
                ASSERT_NE(end, std::string_view::npos);
                osc.push_back(std::string(s.substr(i + 2, end - i - 2)));
                i = end + 1;
            } else if (s[i] == '\a') {
                ++bells;
                ++i;
            } else if (s[i] == '\r') {
                column = 1;
                ++i;
            } else if (s[i] == '\n') {
                ASSERT_LT(row, rows) << "a line feed on the last row scrolls";
                ++row;
                ++i;
            } else {
                ASSERT_GE(static_cast<unsigned char>(s[i]), 0x20) << "control byte sent as text";
                const char32_t ch = next_utf8(s, i);
                ASSERT_LE(column, columns) << "text written past the last column";
                ASSERT_TRUE(row >= 1 && row <= rows);
                at(row, column) = ch;
                attr_at(row, column) = current;
                ++column;
            }
        }
    }

    void control(std::string_view params, char final) {
        std::vector<int> p;
        std::string digits;
        const bool private_mode = !params.empty() && params[0] == '?';
        if (private_mode) params.remove_prefix(1);
        std::string_view rest = params;
        while (true) {
            const auto semi = rest.find(';');
            const std::string_view part = rest.substr(0, semi);
            p.push_back(part.empty() || part[0] == ' ' ? 0 : std::stoi(std::string(part)));
            if (semi == std::string_view::npos) break;
            rest.remove_prefix(semi + 1);
        }
        const int n = p[0] ? p[0] : 1;
        if (final == 'H') {
            row = p.size() > 0 && p[0] ? p[0] : 1;
            column = p.size() > 1 && p[1] ? p[1] : 1;
        } else if (final == 'J') {
            ASSERT_EQ(p[0], 2);
            std::fill(glyph.begin(), glyph.end(), U' ');
            std::fill(attr.begin(), attr.end(), current);
        } else if (final == 'K' || final == 'X') {
            ASSERT_LE(column, columns) << "erase while waiting to wrap";
            const int last = final == 'K' ? columns : std::min(columns, column + n - 1);
            for (int c = column; c <= last; ++c) {
                at(row, c) = U' ';
                attr_at(row, c) = current;
            }
        } else if (final == 'C' || final == 'D') {
            ASSERT_LE(column, columns) << "relative move while waiting to wrap";
            column = final == 'C' ? std::min(columns, column + n) : std::max(1, column - n);
        } else if (final == 'G') {
            column = n;
        } else if (final == 'd') {
            row = n;
        } else if (final == 'm') {
            static constexpr int pc[8] = {0, 4, 2, 6, 1, 5, 3, 7};
            // The Linux console brightens with bold (foreground) and blink
            // (background); the others have codes of their own.
            for (const int v : p) {
                if (v == 0) {
                    current = 0x07;
                    bold = blink = false;
                } else if (v == 1)
                    bold = true;
                else if (v == 5)
                    blink = true;
                else if (v >= 30 && v <= 37)
                    current = (current & 0xF0) | pc[v - 30] | (bold ? 8 : 0);
                else if (v >= 90 && v <= 97)
                    current = (current & 0xF0) | pc[v - 90] | 8;
                else if (v >= 40 && v <= 47)
                    current = (current & 0x0F) | (pc[v - 40] | (blink ? 8 : 0)) << 4;
                else if (v >= 100 && v <= 107)
                    current = (current & 0x0F) | (pc[v - 100] | 8) << 4;
                else
                    ADD_FAILURE() << "colour " << v;
            }
        } else if (private_mode && (final == 'h' || final == 'l')) {
            for (const int v : p) {
                if (v == 25)
                    cursor_visible = final == 'h';
                else if (v == 1000 || v == 1003 || v == 1006)
                    mouse[v] = final == 'h';
            }
        } else if (final == 'q') {
            shape = p[0];
        } else if (private_mode && final == 'c') {
            shape = p[0];
        }
    }

    char32_t& at(int r, int c) { return glyph[static_cast<std::size_t>((r - 1) * columns + c - 1)]; }
    std::uint8_t& attr_at(int r, int c) { return attr[static_cast<std::size_t>((r - 1) * columns + c - 1)]; }

    // Every cell of the console shown as its glyph in its attribute; a blank
    // shows only its background.
    void expect_shows(const Console& c) {
        for (int r = 1; r <= c.rows(); ++r)
            for (int col = 1; col <= c.columns(); ++col) {
                const Cell cell = c.read_cell(r, col);
                ASSERT_EQ(at(r, col), cp850_glyph(cell.ch)) << "row " << r << " column " << col;
                if (at(r, col) == U' ')
                    ASSERT_EQ(attr_at(r, col) >> 4, cell.attr >> 4) << "row " << r << " column " << col;
                else
                    ASSERT_EQ(attr_at(r, col), cell.attr) << "row " << r << " column " << col;
            }
    }

    int rows, columns;
    std::vector<char32_t> glyph;
    std::vector<std::uint8_t> attr;
    int row = 1, column = 1;
    std::uint8_t current = 0x07;
    bool bold = false, blink = false;
    bool cursor_visible = true;
    int shape = -1;
    int bells = 0;
    std::map<int, bool> mouse;
    std::vector<std::string> osc;
};

}  // namespace test_support
