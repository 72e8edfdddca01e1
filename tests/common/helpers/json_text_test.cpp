#include <gtest/gtest.h>

#include <memory>

#include "common/JsonText.h"

namespace {

Json::Value Parse(const std::string& text)
{
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &root, &errors)) << errors;
    return root;
}

} // namespace

TEST(JsonMemberText, ScalarsAndEverythingElse)
{
    const Json::Value root =
        Parse(R"({"s":"text","i":1,"neg":-7,"big":12345678901234,"d":1.5,"t":true,"f":false,"n":null,)"
              R"("a":[1],"o":{"x":1},"empty":"","zero":"a\u0000b"})");
    struct Case {
        const char* key;
        std::string text;
    };
    const Case cases[] = {
        { "s", "text" },
        { "i", "1" },
        { "neg", "-7" },
        { "big", "12345678901234" },
        { "d", "1.5" },
        { "t", "true" },
        { "f", "false" },
        { "n", "" },
        { "a", "" },
        { "o", "" },
        { "empty", "" },
        { "missing", "" },
        { "zero", std::string("a\0b", 3) },
    };
    for (const Case& c : cases) EXPECT_EQ(JsonMemberText(root, c.key), c.text) << c.key;
}

TEST(JsonMemberText, NoObjectGivesEmpty)
{
    for (const char* text : { "[1,2]", "\"s\"", "3", "null", "true" }) {
        EXPECT_EQ(JsonMemberText(Parse(text), "code"), "") << text;
    }
    EXPECT_EQ(JsonMemberText(Json::Value(), "code"), "");
}
