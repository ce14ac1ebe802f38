#include "startup/language.h"

#include <string_view>

#include "platform/files.h"
#include "startup/main_sequence.h"
#include "startup/session.h"

namespace startup {

LanguageState language_state;

namespace {

constexpr char CTRL_Z = 26;

// Reads the file's comma-separated fields one at a time. A comma or a line
// end (CR, optionally followed by LF) ends a field; a quoted field runs to
// the next quote and whatever follows it up to the separator is ignored.
class FieldReader {
public:
    explicit FieldReader(std::string_view data) : data_(data.substr(0, data.find(CTRL_Z))) {}

    bool at_end() const { return at_ >= data_.size(); }

    std::string next() {
        std::string field;
        while (!at_end() && data_[at_] == ' ') ++at_;
        if (!at_end() && data_[at_] == '"') {
            const std::size_t close = data_.find('"', at_ + 1);
            const std::size_t end = close == std::string_view::npos ? data_.size() : close;
            field = data_.substr(at_ + 1, end - at_ - 1);
            at_ = end == data_.size() ? end : end + 1;
            while (!at_end() && data_[at_] != ',' && data_[at_] != '\r') ++at_;
        } else {
            for (; !at_end() && data_[at_] != ',' && data_[at_] != '\r'; ++at_)
                if (data_[at_] != '\n' && data_[at_] != '\t') field += data_[at_];
        }
        skip_separator();
        return field;
    }

private:
    void skip_separator() {
        if (at_end()) return;
        if (data_[at_++] == '\r' && !at_end() && data_[at_] == '\n') ++at_;
    }

    std::string_view data_;
    std::size_t at_ = 0;
};

// Which of the three translations a language takes; 0 for none.
int translation_field(const std::string& code) {
    if (code == "GLG") return 1;
    if (code == "OCI") return 2;
    if (code == "SPA") return 3;
    return 0;
}

}  // namespace

std::string translate_text(const std::string& text) {
    if (session.language_code == "CAT") return text;
    if (language_state.language_file_name.empty()) language_state.language_file_name = main_state.module_name;

    const std::string path = session.root_dir + "LOCALE\\" + language_state.language_file_name + ".LNG";
    // A missing file is created empty. The read goes ahead even when that
    // open fails: a read-only installation still has its translations.
    platform::File::open(path, platform::Access::ReadWrite, platform::Share::Shared).close();
    platform::File file = platform::File::open(path, platform::Access::Read, platform::Share::Shared);
    if (!file.is_open()) return text;
    const std::string data = file.read_all();
    file.close();

    FieldReader fields(data);
    while (!fields.at_end()) {
        const std::string key = fields.next();
        if (fields.at_end()) break;
        std::string translations[3];
        for (auto& t : translations) t = fields.next();
        if (key != text) continue;
        const int which = translation_field(session.language_code);
        return which == 0 ? text : translations[which - 1];
    }
    return text;
}

std::string in_session_language(std::string_view catalan, std::string_view spanish, std::string_view galician,
                                std::string_view occitan) {
    const std::string& code = session.language_code;
    if (code == "SPA") return std::string(spanish);
    if (code == "GLG") return std::string(galician);
    if (code == "OCI") return std::string(occitan);
    return std::string(catalan);
}

}  // namespace startup
