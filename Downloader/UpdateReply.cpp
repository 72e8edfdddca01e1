#include "UpdateReply.h"

#include <json/json.h>

#include <exception>
#include <memory>
#include <vector>

#include "common/JsonText.h"
#include "common/TextConvert.h"

namespace {

// Letters beyond F keep their alphabet value (G is 16 and so on); the low 8 bits of the
// pair count, so the server's quirks decode as they always have.
bool DigitValue(char c, int& value)
{
    if (c >= '0' && c <= '9') {
        value = c - '0';
        return true;
    }
    if (c >= 'A' && c <= 'Z') {
        value = c - 55;
        return true;
    }
    if (c >= 'a' && c <= 'z') {
        value = c - 87;
        return true;
    }
    return false;
}

void BackslashesToBlanks(std::string& s)
{
    for (char& c : s) {
        if (c == '\\') c = ' ';
    }
}

} // namespace

std::string DecodeResponse(const std::string& text)
{
    const size_t n = text.size() / 2;
    std::vector<unsigned char> bytes(n);
    // A character that is no digit repeats the value of the same position one pair back;
    // the first pair has no predecessor, so such a character counts as 0 there.
    int previous[2] = { 0, 0 };
    for (size_t i = 0; i < n; ++i) {
        int digit[2];
        for (int k = 0; k < 2; ++k) {
            if (!DigitValue(text[2 * i + k], digit[k])) digit[k] = previous[k];
            previous[k] = digit[k];
        }
        bytes[i] = static_cast<unsigned char>((digit[0] * 16 + digit[1]) & 0xFF);
    }
    unsigned char key = 0xA7;
    for (size_t j = n; j-- > 0;) {
        key = static_cast<unsigned char>(key ^ bytes[j]);
        bytes[j] = key;
    }
    size_t end = 0;
    while (end < n && bytes[end] != 0) ++end;
    return std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(end));
}

bool ReadUpdateFields(const std::string& utf8Json, UpdateInfo& record)
{
    record = UpdateInfo();
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    const char* begin = utf8Json.data();
    try {
        // The reader throws, rather than reports, when nesting runs too deep.
        if (!reader->parse(begin, begin + utf8Json.size(), &root, &errors) || !errors.empty()) return false;
    } catch (const std::exception&) {
        return false;
    }
    if (!root.isObject()) return false;

    const Json::Value& data = root["data"];
    std::string upBg = JsonMemberText(data, "up_bg");
    std::string gameUrl = JsonMemberText(data, "game_url");
    std::string upUrl = JsonMemberText(data, "up_url");
    // Addresses arrive with backslashes where the server meant blanks. This is done on the
    // UTF-8 text, where a 0x5C byte is always a backslash (in the code page it may be the
    // second byte of a Chinese character).
    BackslashesToBlanks(upBg);
    BackslashesToBlanks(gameUrl);
    BackslashesToBlanks(upUrl);

    record.code = Utf8ToAnsi(JsonMemberText(root, "code"));
    record.info = Utf8ToAnsi(JsonMemberText(root, "info"));
    record.open = Utf8ToAnsi(JsonMemberText(data, "open"));
    record.uid = Utf8ToAnsi(JsonMemberText(data, "uid"));
    record.sid = Utf8ToAnsi(JsonMemberText(data, "sid"));
    record.extraInfo = Utf8ToAnsi(JsonMemberText(data, "extraInfo"));
    record.token = Utf8ToAnsi(JsonMemberText(data, "token"));
    record.up_version = Utf8ToAnsi(JsonMemberText(data, "up_version"));
    record.up_bg = Utf8ToAnsi(upBg);
    record.game_url = Utf8ToAnsi(gameUrl);
    record.game_version = Utf8ToAnsi(JsonMemberText(data, "game_version"));
    record.up_url = Utf8ToAnsi(upUrl);
    return true;
}
