#include "LoginUrl.h"

#include <json/json.h>

#include <memory>

#include "common/JsonText.h"

#ifndef ZEL_LOGIN_HOST
#define ZEL_LOGIN_HOST "127.0.0.1"
#endif

std::string LoginBaseAddress()
{
    return std::string("http://") + ZEL_LOGIN_HOST + "/myqavo/login";
}

std::string EncodeLoginValue(const std::string& value)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(value.size());
    for (const char c : value) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte == ' ' || byte == '\t' || byte == '"' || byte == '#' || byte < 0x20 || byte == 0x7F) {
            encoded += '%';
            encoded += hex[byte >> 4];
            encoded += hex[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return encoded;
}

namespace {

const char* const kFields[] = { "uid",       "platform", "gkey", "server_id",     "time",
                                "vip_level", "is_adult", "type", "callback_info", "sign" };

} // namespace

std::string BuildLoginUrl(const std::string& json)
{
    std::string values[10];
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    const char* begin = json.data();
    // The reader's errors are reported as text; anything it may throw is taken as invalid JSON,
    // since the page's script engine calls in here.
    try {
        if (reader->parse(begin, begin + json.size(), &root, &errors) && errors.empty() && root.isObject()) {
            for (int i = 0; i < 10; ++i) values[i] = JsonMemberText(root, kFields[i]);
        }
    } catch (const std::exception&) {
        for (std::string& value : values) value.clear();
    }
    std::string url = LoginBaseAddress();
    for (int i = 0; i < 10; ++i) {
        url += '&';
        url += kFields[i];
        url += '=';
        url += EncodeLoginValue(values[i]);
    }
    url += ' ';
    return url;
}
