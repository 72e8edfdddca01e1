#pragma once
#include <string>

#include "UpdateInfo.h"

// The reply is hexadecimal text of a scrambled byte string; this undoes both layers and
// returns the plain bytes up to the first zero byte. Any length is accepted.
std::string DecodeResponse(const std::string& text);

// Reads the record from the plain reply (UTF-8 JSON). Every field is converted to the
// system code page on its own, after parsing, so that no multi-byte character can be split
// by a JSON escape. Returns false when the text is no JSON object; the record is then left
// empty. Unexpected shapes (a "data" that is no object, arrays or objects as members) read
// as empty text instead of failing.
bool ReadUpdateFields(const std::string& utf8Json, UpdateInfo& record);
