#pragma once
#include <json/json.h>

#include <string>

// The text of member key of object, as the JSON library's string conversion gives it for a
// string, a number or a boolean ("true"/"false"). Empty when object is no object, when the
// member is missing or null, and when it is an array or an object (whose conversion would
// throw). Never throws.
std::string JsonMemberText(const Json::Value& object, const char* key);
