#include "commands.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "dump_format.h"
#include "platform/cp850.h"
#include "platform/record_manager.h"
#include "recman/check.h"
#include "record_file.h"

namespace recutil {

using namespace platform;

namespace {

constexpr std::size_t MAX_SPECIFICATION = 1536;

const char* const USAGE =
    "usage: recutil create FILE DICTIONARY [--replace] [--owner NAME]\n"
    "       recutil stat   FILE [--owner NAME]\n"
    "       recutil dump   FILE [--key N] [--fixed] [--output OUT] [--owner NAME]\n"
    "       recutil load   FILE DUMP [--fixed] [--owner NAME]\n"
    "       recutil check  FILE [--owner NAME]\n";

struct Command {
    std::string name;
    std::vector<std::string> operands;
    std::map<std::string, std::string> options;  // "--replace" and "--fixed" hold ""
};

bool parse(const std::vector<std::string>& args, Command& c, std::string& error) {
    static const std::map<std::string, bool> known{
        {"--replace", false}, {"--fixed", false}, {"--owner", true}, {"--key", true}, {"--output", true}};
    if (args.empty()) {
        error = "no command";
        return false;
    }
    c.name = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        const auto it = known.find(args[i]);
        if (it == known.end()) {
            if (args[i].starts_with("--")) {
                error = "unknown option " + args[i];
                return false;
            }
            c.operands.push_back(args[i]);
        } else if (it->second) {
            if (i + 1 == args.size()) {
                error = args[i] + " needs a value";
                return false;
            }
            c.options[args[i]] = args[i + 1];
            ++i;
        } else {
            c.options[args[i]] = "";
        }
    }
    return true;
}

// File names come as UTF-8; the record manager takes code page 850.
std::string record_path(const std::string& name) { return utf8_to_cp850(name); }

int fail(std::ostream& err, const std::string& file, const std::string& what, std::int16_t status) {
    err << "recutil: " << file << ": " << what << ": " << status_text(status) << " (status " << status << ")\n";
    return EXIT_FAILED;
}

int open_file(const Command& c, RecordFile& f, std::ostream& err, bool exclusive = false) {
    const std::string owner = c.options.count("--owner") ? c.options.at("--owner") : "";
    const std::int16_t status = f.open(record_path(c.operands[0]), owner, exclusive);
    return status == STATUS_OK ? EXIT_DONE : fail(err, c.operands[0], "cannot open it", status);
}

bool read_whole(const std::string& name, std::string& bytes) {
    std::ifstream in(std::filesystem::path(std::u8string(name.begin(), name.end())), std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    bytes = s.str();
    return true;
}

int create(const Command& c, std::ostream& out, std::ostream& err) {
    if (c.operands.size() != 2) return (err << USAGE, EXIT_USAGE);
    const std::string& dictionary = c.operands[1];
    std::string bytes;
    if (!read_whole(dictionary, bytes)) return (err << "recutil: " << dictionary << ": cannot read it\n", EXIT_FAILED);
    if (bytes.size() < 2) return (err << "recutil: " << dictionary << ": too short for a dictionary\n", EXIT_FAILED);
    const std::size_t n = static_cast<std::uint8_t>(bytes[0]) | static_cast<std::uint8_t>(bytes[1]) << 8;
    if (n == 0 || n > MAX_SPECIFICATION || bytes.size() < 2 + n) {
        err << "recutil: " << dictionary << ": says " << n << " bytes of specification and holds " << bytes.size() - 2
            << "\n";
        return EXIT_FAILED;
    }
    const std::int16_t status =
        RecordFile::create(record_path(c.operands[0]), bytes.substr(2, n), c.options.count("--replace") != 0);
    if (status != STATUS_OK) return fail(err, c.operands[0], "cannot create it", status);
    if (c.options.count("--owner")) {
        RecordFile f;
        if (const int code = open_file(Command{c.name, {c.operands[0]}, {}}, f, err); code != EXIT_DONE) return code;
        if (const std::int16_t s = f.set_owner(c.options.at("--owner")); s != STATUS_OK)
            return fail(err, c.operands[0], "cannot give it the owner name", s);
    }
    out << "created " << c.operands[0] << "\n";
    return EXIT_DONE;
}

std::string flag_names(std::uint16_t flags) {
    std::string names;
    const std::pair<std::uint16_t, const char*> all[] = {{recman::FLAG_BINARY, "binary"},
                                                         {recman::FLAG_COLLATING, "collating sequence"},
                                                         {recman::FLAG_MODIFIABLE, "modifiable"}};
    for (const auto& [flag, name] : all)
        if (flags & flag) names += std::string(names.empty() ? "" : ", ") + name;
    return names.empty() ? "" : " (" + names + ")";
}

int stat(const Command& c, std::ostream& out, std::ostream& err) {
    if (c.operands.size() != 1) return (err << USAGE, EXIT_USAGE);
    RecordFile f;
    if (const int code = open_file(c, f, err); code != EXIT_DONE) return code;
    const recman::FileLayout& layout = f.layout();
    out << "record length " << layout.record_length << "\npage size " << layout.page_size << "\nrecords " << f.records()
        << "\nkey count " << layout.keys.size() << "\n";
    for (std::size_t k = 0; k < layout.keys.size(); ++k) {
        const auto& key = layout.keys[k];
        out << "key " << k << ": " << key.length << " bytes, " << (key.duplicates ? "duplicates" : "unique") << "\n";
        for (const auto& s : key.segments)
            out << "  segment at " << s.position << ", " << s.length << " bytes" << flag_names(s.flags) << "\n";
    }
    if (!layout.collating_sequence.empty())
        out << "collating sequence " << escape(layout.collating_sequence.substr(1, 8)) << "\n";
    return EXIT_DONE;
}

int dump(const Command& c, std::ostream& out, std::ostream& err) {
    if (c.operands.size() != 1) return (err << USAGE, EXIT_USAGE);
    int key = 0;
    if (c.options.count("--key")) {
        try {
            key = std::stoi(c.options.at("--key"));
        } catch (...) {
            return (err << "recutil: --key takes a number\n", EXIT_USAGE);
        }
    }
    RecordFile f;
    if (const int code = open_file(c, f, err); code != EXIT_DONE) return code;
    const recman::FileLayout& layout = f.layout();
    if (key < 0 || static_cast<std::size_t>(key) >= layout.keys.size())
        return (err << "recutil: " << c.operands[0] << ": there is no key " << key << "\n", EXIT_USAGE);

    std::ofstream file;
    std::ostream* to = &out;
    if (c.options.count("--output")) {
        const std::string& name = c.options.at("--output");
        file.open(std::filesystem::path(std::u8string(name.begin(), name.end())), std::ios::binary);
        if (!file) return (err << "recutil: " << name << ": cannot write it\n", EXIT_FAILED);
        to = &file;
    }
    const bool fixed = c.options.count("--fixed") != 0;
    const auto columns = columns_of(layout);
    if (!fixed) *to << csv_header(columns) << "\n";
    std::string record;
    std::int16_t s = f.read(OP_GET_FIRST, static_cast<std::int8_t>(key), record);
    for (; s == STATUS_OK; s = f.read(OP_GET_NEXT, static_cast<std::int8_t>(key), record))
        *to << (fixed ? fixed_line(record) : csv_line(record, columns)) << "\n";
    if (s != STATUS_END_OF_FILE) return fail(err, c.operands[0], "reading stopped", s);
    to->flush();
    if (!*to) return (err << "recutil: the dump could not be written\n", EXIT_FAILED);
    return EXIT_DONE;
}

int load(const Command& c, std::ostream& out, std::ostream& err) {
    if (c.operands.size() != 2) return (err << USAGE, EXIT_USAGE);
    const std::string& source = c.operands[1];
    std::string text;
    if (!read_whole(source, text)) return (err << "recutil: " << source << ": cannot read it\n", EXIT_FAILED);
    RecordFile f;
    if (const int code = open_file(c, f, err); code != EXIT_DONE) return code;
    const recman::FileLayout& layout = f.layout();
    const bool fixed = c.options.count("--fixed") != 0;
    const auto columns = columns_of(layout);

    if (const std::int16_t s = process_call(OP_BEGIN_TRANSACTION); s != STATUS_OK)
        return fail(err, c.operands[0], "cannot begin", s);
    std::istringstream lines(text);
    std::string line, record, error;
    std::size_t number = 0, loaded = 0;
    auto refuse = [&](const std::string& why) {
        process_call(OP_ABORT_TRANSACTION);
        err << "recutil: " << source << ", line " << number << ": " << why << "; nothing loaded\n";
        return EXIT_FAILED;
    };
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!fixed && number == 1) {
            if (line != csv_header(columns)) return refuse("the columns are not " + csv_header(columns));
            continue;
        }
        if (line.empty()) continue;
        const bool parsed = fixed ? parse_fixed_line(line, layout.record_length, record, error)
                                  : parse_csv_line(line, columns, record, error);
        if (!parsed) return refuse(error);
        if (const std::int16_t s = f.insert(record); s != STATUS_OK)
            return refuse(status_text(s) + " (status " + std::to_string(s) + ")");
        ++loaded;
    }
    if (!fixed && number == 0) return refuse("no header line");
    if (const std::int16_t s = process_call(OP_END_TRANSACTION); s != STATUS_OK)
        return fail(err, c.operands[0], "the load could not be committed", s);
    out << "loaded " << loaded << " records into " << c.operands[0] << "\n";
    return EXIT_DONE;
}

int check(const Command& c, std::ostream& out, std::ostream& err) {
    if (c.operands.size() != 1) return (err << USAGE, EXIT_USAGE);
    RecordFile f;
    if (const int code = open_file(c, f, err); code != EXIT_DONE) return code;
    std::vector<std::string> problems;
    if (const std::int16_t s = recman::verify_file(f.block(), problems); s != STATUS_OK)
        return fail(err, c.operands[0], "the check stopped", s);
    if (problems.empty()) {
        out << c.operands[0] << ": sound (" << f.records() << " records, key count " << f.layout().keys.size() << ")\n";
        return EXIT_DONE;
    }
    for (const auto& p : problems) err << "recutil: " << c.operands[0] << ": " << p << "\n";
    return EXIT_PROBLEMS;
}

}  // namespace

int run_recutil(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Command c;
    std::string error;
    if (!parse(args, c, error)) return (err << "recutil: " << error << "\n" << USAGE, EXIT_USAGE);
    int code = EXIT_USAGE;
    if (c.name == "create")
        code = create(c, out, err);
    else if (c.name == "stat")
        code = stat(c, out, err);
    else if (c.name == "dump")
        code = dump(c, out, err);
    else if (c.name == "load")
        code = load(c, out, err);
    else if (c.name == "check")
        code = check(c, out, err);
    else
        err << "recutil: unknown command " << c.name << "\n" << USAGE;
    // Every file closed, every lock let go.
    process_call(OP_RESET);
    return code;
}

}  // namespace recutil
