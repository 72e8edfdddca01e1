#include "common/SplitString.h"

std::vector<std::string> SplitString(const std::string& text, const std::string& separator)
{
    std::vector<std::string> pieces;
    if (separator.empty()) {
        if (!text.empty()) pieces.push_back(text);
        return pieces;
    }
    size_t from = 0;
    for (size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, from)) {
        pieces.push_back(text.substr(from, at - from));
        from = at + separator.size();
    }
    if (from < text.size()) pieces.push_back(text.substr(from));
    return pieces;
}
