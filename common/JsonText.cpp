#include "common/JsonText.h"

std::string JsonMemberText(const Json::Value& object, const char* key)
{
    if (!object.isObject()) return std::string();
    const Json::Value* member = object.find(key, key + std::char_traits<char>::length(key));
    if (!member) return std::string();
    if (member->isString() || member->isNumeric() || member->isBool()) {
        try {
            return member->asString();
        } catch (const std::exception&) {
            return std::string();
        }
    }
    return std::string();
}
