#pragma once
// The box driver's record read back by a C++ test (msgbox.py reads it for the Python ones):
// its events, and the crashes among them, which fail every run they appear in.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace boxrecord {

// One line's fields, unescaped, in UTF-8.
using Event = std::vector<std::string>;

struct Record {
    std::vector<Event> events;
    std::vector<std::string> crashes; // one text per crashed process, naming it, the code and the address

    // The boxes answered, as (caption, text).
    std::vector<std::pair<std::string, std::string>> Boxes() const
    {
        std::vector<std::pair<std::string, std::string>> boxes;
        for (const Event& e : events) {
            if (e.size() >= 4 && e[0] == "box") boxes.emplace_back(e[2], e[3]);
        }
        return boxes;
    }
    bool TimedOut() const
    {
        for (const Event& e : events) {
            if (e[0] == "timeout") return true;
        }
        return false;
    }
};

inline std::string Unescape(const std::string& field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const char next = field[++i];
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

inline Record Read(const std::wstring& path)
{
    Record record;
    std::ifstream in(path.c_str(), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        Event fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) fields.push_back(Unescape(field));
        if (fields.empty() || fields[0].empty()) continue;
        if (fields[0] == "crash" && fields.size() >= 4)
            record.crashes.push_back("process " + fields[1] + " crashed: exception " + fields[2] + " at " + fields[3]);
        record.events.push_back(std::move(fields));
    }
    return record;
}

} // namespace boxrecord
