#pragma once
#include <string>
#include <vector>

// The pieces of text between the occurrences of separator, in order. A leading separator
// gives an empty first piece and empty pieces between two separators are kept; a separator
// at the very end adds nothing. An empty separator gives the whole text as one piece (none
// for an empty text).
std::vector<std::string> SplitString(const std::string& text, const std::string& separator);
