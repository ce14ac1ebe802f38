#include "dump_format.h"

#include <algorithm>
#include <set>

#include "platform/cp850.h"

namespace recutil {

std::vector<Column> columns_of(const recman::FileLayout& layout) {
    std::set<std::size_t> cuts{0, layout.record_length};
    for (const auto& key : layout.keys)
        for (const auto& s : key.segments) {
            cuts.insert(s.position - 1u);
            cuts.insert(s.position - 1u + s.length);
        }
    std::vector<Column> columns;
    for (auto it = cuts.begin(); std::next(it) != cuts.end(); ++it) columns.push_back({*it, *std::next(it) - *it});
    return columns;
}

std::string escape(std::string_view bytes) {
    static const char hex[] = "0123456789ABCDEF";
    std::string text;
    for (const char ch : bytes) {
        const auto b = static_cast<std::uint8_t>(ch);
        if (b == '\\') {
            text += "\\\\";
        } else if (b < 32 || b == 127) {
            text += "\\x";
            text += hex[b >> 4];
            text += hex[b & 15];
        } else {
            platform::append_utf8(text, platform::cp850_to_unicode(b));
        }
    }
    return text;
}

namespace {

int hex_value(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
}

}  // namespace

bool unescape(std::string_view text, std::string& bytes) {
    bytes.clear();
    std::string plain;
    auto flush = [&] {
        bytes += platform::utf8_to_cp850(plain);
        plain.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            plain += text[i];
            continue;
        }
        flush();
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            bytes += '\\';
            ++i;
        } else if (i + 3 < text.size() && text[i + 1] == 'x' && hex_value(text[i + 2]) >= 0 &&
                   hex_value(text[i + 3]) >= 0) {
            bytes += static_cast<char>(hex_value(text[i + 2]) << 4 | hex_value(text[i + 3]));
            i += 3;
        } else {
            return false;
        }
    }
    flush();
    return true;
}

namespace {

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char ch : text) {
        if (ch == '"') out += '"';
        out += ch;
    }
    return out + '"';
}

// The fields of one CSV line: quoted ("" for a quote) or bare.
bool split_csv(std::string_view line, std::vector<std::string>& fields, std::string& error) {
    fields.clear();
    std::size_t i = 0;
    for (;;) {
        std::string field;
        if (i < line.size() && line[i] == '"') {
            ++i;
            for (;;) {
                if (i >= line.size()) {
                    error = "a quoted field does not end";
                    return false;
                }
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
        } else {
            while (i < line.size() && line[i] != ',') field += line[i++];
        }
        fields.push_back(std::move(field));
        if (i == line.size()) return true;
        if (line[i] != ',') {
            error = "text after a quoted field";
            return false;
        }
        ++i;
    }
}

std::string range_name(const Column& c) { return std::to_string(c.from + 1) + "-" + std::to_string(c.from + c.length); }

}  // namespace

std::string csv_header(const std::vector<Column>& columns) {
    std::string line;
    for (const Column& c : columns) line += (line.empty() ? "" : ",") + quoted(range_name(c));
    return line;
}

std::string csv_line(std::string_view record, const std::vector<Column>& columns) {
    std::string line;
    for (const Column& c : columns) line += (line.empty() ? "" : ",") + quoted(escape(record.substr(c.from, c.length)));
    return line;
}

bool parse_csv_line(std::string_view line, const std::vector<Column>& columns, std::string& record,
                    std::string& error) {
    std::vector<std::string> fields;
    if (!split_csv(line, fields, error)) return false;
    if (fields.size() != columns.size()) {
        error = std::to_string(fields.size()) + " columns, not " + std::to_string(columns.size());
        return false;
    }
    record.clear();
    std::string bytes;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!unescape(fields[i], bytes)) {
            error = "a bad escape in column " + range_name(columns[i]);
            return false;
        }
        if (bytes.size() != columns[i].length) {
            error = "column " + range_name(columns[i]) + " holds " + std::to_string(bytes.size()) + " bytes, not " +
                    std::to_string(columns[i].length);
            return false;
        }
        record += bytes;
    }
    return true;
}

std::string fixed_line(std::string_view record) { return escape(record); }

bool parse_fixed_line(std::string_view line, std::size_t record_length, std::string& record, std::string& error) {
    if (!unescape(line, record)) {
        error = "a bad escape";
        return false;
    }
    if (record.size() != record_length) {
        error = std::to_string(record.size()) + " bytes, not " + std::to_string(record_length);
        return false;
    }
    return true;
}

}  // namespace recutil
