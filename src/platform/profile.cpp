#include "platform/profile.h"

#include <ini.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <vector>

#include "files/input_file.h"
#include "files/output_file.h"

namespace orix {

namespace {

namespace fs = std::filesystem;

// A profile is a few lines; anything larger is not one.
constexpr uint64_t kMaxProfileBytes = 1 << 20;

struct Lookup {
    const std::string* section;
    const std::string* key;
    std::string value;
    bool found = false;
};

int LookupHandler(void* user, const char* section, const char* name, const char* value) {
    auto* lookup = static_cast<Lookup*>(user);
    if (!lookup->found && strcasecmp(section, lookup->section->c_str()) == 0 &&
        strcasecmp(name, lookup->key->c_str()) == 0) {
        lookup->value = value;
        lookup->found = true;
    }
    return 1;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

// A name that would change the file's structure, or read back differently, is refused rather
// than written.
bool NameFits(const std::string& name) {
    if (name.empty() || Trim(name) != name) return false;
    return name.find_first_of("[]=:;#\r\n") == std::string::npos;
}

bool ValueFits(const std::string& value) {
    return value.find_first_of("\r\n") == std::string::npos && Trim(value) == value &&
           value.size() < 180;
}

// The section name of a "[name]" line, or false for any other line.
bool SectionOf(const std::string& line, std::string* name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t[0] != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    *name = Trim(t.substr(1, close - 1));
    return true;
}

// The key of a "key = value" line, or false for comments, blanks and continuations.
bool KeyOf(const std::string& line, std::string* key) {
    if (line.empty() || line[0] == ' ' || line[0] == '\t') return false;
    if (line[0] == ';' || line[0] == '#') return false;
    size_t eq = line.find_first_of("=:");
    if (eq == std::string::npos) return false;
    *key = Trim(line.substr(0, eq));
    return true;
}

bool IsContinuation(const std::string& line) {
    if (line.empty() || (line[0] != ' ' && line[0] != '\t')) return false;
    std::string t = Trim(line);
    return !t.empty() && t[0] != ';' && t[0] != '#' && t[0] != '[';
}

bool ReadLines(const std::string& path, std::vector<std::string>* lines) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return true;
    std::vector<char> bytes;
    std::string error;
    if (!ReadWholeFile(path, &bytes, &error, kMaxProfileBytes)) return false;
    std::string line;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\n') {
            line += bytes[i];
            continue;
        }
        if (i == bytes.size() && line.empty()) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines->push_back(line);
        line.clear();
    }
    return true;
}

// A crash leaves the old file or the new one, never a mix.
bool WriteLinesAtomically(const std::string& path, const std::vector<std::string>& lines) {
    fs::path target(path);
    std::error_code ec;
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
        if (ec) return false;
    }
    std::string text;
    for (const std::string& line : lines) text += line + '\n';
    std::string error;
    return WriteWholeFile(path, text.data(), text.size(), &error);
}

// Sets (value non-null) or removes (null) one entry in the lines of a profile file.
void EditLines(std::vector<std::string>* lines, const std::string& section, const std::string& key,
               const std::string* value) {
    std::string current;
    bool inSection = false;
    bool sectionSeen = false;
    size_t sectionEnd = lines->size();  // where a new key of the section goes
    for (size_t i = 0; i < lines->size(); ++i) {
        const std::string& line = (*lines)[i];
        std::string name;
        if (SectionOf(line, &name)) {
            if (inSection) break;
            inSection = SameName(name, section);
            if (inSection) {
                sectionSeen = true;
                sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        std::string k;
        if (KeyOf(line, &k) && SameName(k, key)) {
            size_t end = i + 1;
            while (end < lines->size() && IsContinuation((*lines)[end])) ++end;
            lines->erase(lines->begin() + static_cast<long>(i),
                         lines->begin() + static_cast<long>(end));
            if (value) lines->insert(lines->begin() + static_cast<long>(i), key + "=" + *value);
            return;
        }
        if (!Trim(line).empty()) sectionEnd = i + 1;
    }
    if (!value) return;
    if (sectionSeen) {
        lines->insert(lines->begin() + static_cast<long>(sectionEnd), key + "=" + *value);
        return;
    }
    if (!lines->empty() && !Trim(lines->back()).empty()) lines->push_back("");
    lines->push_back("[" + section + "]");
    lines->push_back(key + "=" + *value);
}

bool Edit(const std::string& section, const std::string& key, const std::string* value) {
    if (!NameFits(section) || !NameFits(key)) return false;
    if (value && !ValueFits(*value)) return false;
    std::string path = ProfilePath();
    if (path.empty()) return false;
    std::vector<std::string> lines;
    if (!ReadLines(path, &lines)) return false;
    std::vector<std::string> before = lines;
    EditLines(&lines, section, key, value);
    if (lines == before) return true;
    return WriteLinesAtomically(path, lines);
}

}  // namespace

std::string ProfilePath() {
    const char* over = std::getenv("ORIX_PROFILE");
    if (over && *over) return over;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/orix/profile.ini";
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/.config/orix/profile.ini";
    return std::string();
}

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue) {
    std::string path = ProfilePath();
    if (path.empty()) return defaultValue;
    std::vector<char> bytes;
    std::string error;
    if (!ReadWholeFile(path, &bytes, &error, kMaxProfileBytes)) return defaultValue;
    bytes.push_back('\0');
    Lookup lookup{&section, &key, std::string(), false};
    ini_parse_string(bytes.data(), LookupHandler, &lookup);
    return lookup.found ? lookup.value : defaultValue;
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value) {
    return Edit(section, key, &value);
}

bool RemoveProfileKey(const std::string& section, const std::string& key) {
    return Edit(section, key, nullptr);
}

}  // namespace orix
