// The page's scripting object and the login URL it builds.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "ClientCall.h"
#include "HostNotification.h"
#include "LoginUrl.h"

namespace {

class RecordedActions : public ClientCallActions {
public:
    std::vector<std::string> launches;
    std::vector<std::wstring> messages;
    std::vector<std::wstring> pageStarts;
    std::wstring pageDirectory;
    bool pageStartWorks = true;
    int ends = 0;
    // Without it every call finds a free guard (cases about what one call does).
    bool guarded = false;
    UpdaterStartGuard guard;
    // What the page does while the shell starts the updater (its prompt runs messages).
    std::function<void()> duringStart;

    UpdaterStartGuard& Starts() override
    {
        if (!guarded) guard = UpdaterStartGuard();
        return guard;
    }
    void LaunchLoader(const std::string& url) override { launches.push_back(url); }
    bool StartPageLoader(const std::wstring& parameters, const std::wstring& directory) override
    {
        pageStarts.push_back(parameters);
        pageDirectory = directory;
        if (duringStart) {
            auto then = duringStart;
            duringStart = nullptr;
            then();
        }
        return pageStartWorks;
    }
    void ShowMessage(const wchar_t* text) override { messages.push_back(text); }
    void EndProcess() override { ++ends; }
};

std::string Url(const char* uid, const char* time, const char* rest = "")
{
    return LoginBaseAddress() + "&uid=" + uid + "&platform=&gkey=&server_id=&time=" + time +
           "&vip_level=&is_adult=&type=&callback_info=&sign=" + rest + " ";
}

const std::string kEmptyUrl = Url("", "");

TEST(LoginUrl, FieldsComeFromTheJsonObjectInOrder)
{
    EXPECT_EQ("http://", LoginBaseAddress().substr(0, 7));
    EXPECT_EQ("/myqavo/login", LoginBaseAddress().substr(LoginBaseAddress().size() - 13));
    EXPECT_EQ(Url("5", "170"), BuildLoginUrl(R"({"uid":"5","time":170})"));
    EXPECT_EQ(LoginBaseAddress() + "&uid=u&platform=p&gkey=g&server_id=s&time=t&vip_level=v&is_adult=a&type=y"
                                   "&callback_info=c&sign=z ",
              BuildLoginUrl(R"({"sign":"z","callback_info":"c","type":"y","is_adult":"a","vip_level":"v",
                              "time":"t","server_id":"s","gkey":"g","platform":"p","uid":"u","extra":1})"));
}

TEST(LoginUrl, AnythingButAValidObjectGivesTenEmptyValues)
{
    const char* const texts[] = { "[ ]",        "",           "{", "42", "\"text\"", "null", "[{\"uid\":\"5\"}]",
                                  "{\"uid\":}", "{uid:\"5\"}" };
    for (const char* text : texts) EXPECT_EQ(kEmptyUrl, BuildLoginUrl(text)) << text;
}

TEST(LoginUrl, MemberKindsBecomeText)
{
    struct Case {
        const char* json;
        std::string url;
    } cases[] = {
        { R"({"uid":true,"time":false})", Url("true", "false") },
        { R"({"uid":[1,2],"time":{"a":1}})", kEmptyUrl },
        { R"({"uid":null,"time":-3})", Url("", "-3") },
        { R"({"uid":"1.5","time":1.5})", Url("1.5", "1.5") },
    };
    for (const Case& c : cases) EXPECT_EQ(c.url, BuildLoginUrl(c.json)) << c.json;
}

TEST(LoginUrl, OnlyCharactersThatBreakTheCommandLineAreEncoded)
{
    struct Case {
        const char* value;
        const char* encoded;
    } cases[] = {
        { "a b", "a%20b" },
        { "x\"y", "x%22y" },
        { "t\tab", "t%09ab" },
        { "frag#1", "frag%231" },
        { "line\nend", "line%0Aend" },
        { "\x7f", "%7F" },
        { "a&b=c%d+e", "a&b=c%d+e" },
        { "\xd6\xd0\xce\xc4", "\xd6\xd0\xce\xc4" },
        { "", "" },
    };
    for (const Case& c : cases) EXPECT_EQ(c.encoded, EncodeLoginValue(c.value)) << c.value;
    EXPECT_EQ(Url("a%20b", ""), BuildLoginUrl(R"({"uid":"a b"})"));
}

VARIANT Text(const wchar_t* text)
{
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = ::SysAllocString(text);
    return value;
}

HRESULT Call(ClientCall& object, DISPID id, std::vector<VARIANT> args)
{
    DISPPARAMS params{ args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()), 0 };
    const HRESULT result = object.Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    for (VARIANT& arg : args) ::VariantClear(&arg);
    return result;
}

TEST(ClientCall, LongTextsPassWhole)
{
    RecordedActions actions;
    ClientCall object(&actions);
    const std::string uid(3000, 'u');
    const std::wstring json = L"{\"uid\":\"" + std::wstring(3000, L'u') + L"\"}";
    EXPECT_EQ(S_OK, Call(object, ClientCall::kAppLogin, { Text(json.c_str()) }));
    ASSERT_EQ(1u, actions.launches.size());
    EXPECT_EQ(Url(uid.c_str(), ""), actions.launches[0]);

    const std::wstring parameters(2000, L'p');
    EXPECT_EQ(S_OK, Call(object, ClientCall::kLoadGame, { Text(parameters.c_str()) }));
    ASSERT_EQ(1u, actions.pageStarts.size());
    EXPECT_EQ(parameters, actions.pageStarts[0]);
}

TEST(ClientCall, AppLoginLaunchesWithTheUrlOrReportsTheEmptyArray)
{
    RecordedActions actions;
    ClientCall object(&actions);
    EXPECT_EQ(S_OK, Call(object, ClientCall::kAppLogin, { Text(L"{\"uid\":\"5\",\"time\":170}") }));
    EXPECT_EQ(S_OK, Call(object, ClientCall::kAppLogin, { Text(L"[]") }));
    EXPECT_EQ(S_OK, Call(object, ClientCall::kAppLogin, { Text(L"[ ]") }));
    EXPECT_EQ(S_OK, Call(object, ClientCall::kAppLogin, { Text(L"") }));
    EXPECT_EQ((std::vector<std::string>{ Url("5", "170"), kEmptyUrl, kEmptyUrl }), actions.launches);
    EXPECT_EQ(std::vector<std::wstring>{ L"AppLogin返回错误！" }, actions.messages);
}

TEST(ClientCall, WrongArgumentsAreRefusedAndStartNothing)
{
    RecordedActions actions;
    ClientCall object(&actions);
    VARIANT number;
    ::VariantInit(&number);
    number.vt = VT_I4;
    number.lVal = 5;
    for (DISPID id : { ClientCall::kLoadGame, ClientCall::kAppLogin }) {
        EXPECT_EQ(E_NOTIMPL, Call(object, id, {}));
        EXPECT_EQ(E_NOTIMPL, Call(object, id, { number }));
        EXPECT_EQ(E_NOTIMPL, Call(object, id, { Text(L"a"), Text(L"b") }));
        EXPECT_EQ(E_NOTIMPL, object.Invoke(id, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr));
    }
    EXPECT_EQ(S_OK, Call(object, 102, { Text(L"{}") }));
    EXPECT_EQ(S_OK, Call(object, DISPID_UNKNOWN, { Text(L"{}") }));
    EXPECT_TRUE(actions.launches.empty());
    EXPECT_TRUE(actions.pageStarts.empty());
    EXPECT_TRUE(actions.messages.empty());
}

TEST(ClientCall, LoadGameStartsInTheCurrentFolderAndEndsOrReports)
{
    for (bool works : { true, false }) {
        RecordedActions actions;
        actions.pageStartWorks = works;
        ClientCall object(&actions);
        EXPECT_EQ(S_OK, Call(object, ClientCall::kLoadGame, { Text(L"--server=1 最小化") }));
        ASSERT_EQ(1u, actions.pageStarts.size());
        EXPECT_EQ(L"--server=1 最小化", actions.pageStarts[0]);
        wchar_t current[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, current);
        EXPECT_EQ(current, actions.pageDirectory);
        EXPECT_EQ(works ? 1 : 0, actions.ends);
        EXPECT_EQ(works ? std::vector<std::wstring>{} : std::vector<std::wstring>{ L"启动游戏失败" }, actions.messages);
    }
}

TEST(ClientCall, ThePagesStartsGoThroughOneGuard)
{
    struct Case {
        const char* name;
        bool pageStartWorks;
        DISPID during;      // what the page calls while LoadGame's shell start runs
        size_t launches;    // login starts
        size_t pageStarts;
        int ends;
    } cases[] = {
        // The start that came first is the only one; a login meanwhile starts nothing.
        { "login_while_the_page_start_runs", true, ClientCall::kAppLogin, 0, 1, 1 },
        { "page_start_while_the_page_start_runs", true, ClientCall::kLoadGame, 0, 1, 1 },
        // A page start that failed leaves the page free to log in afterwards.
        { "login_while_a_failing_page_start_runs", false, ClientCall::kAppLogin, 0, 1, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordedActions actions;
        actions.guarded = true;
        actions.pageStartWorks = c.pageStartWorks;
        ClientCall object(&actions);
        actions.duringStart = [&] { Call(object, c.during, { Text(L"{\"uid\":\"5\"}") }); };
        EXPECT_EQ(S_OK, Call(object, ClientCall::kLoadGame, { Text(L"abc") }));
        EXPECT_EQ(c.launches, actions.launches.size());
        EXPECT_EQ(c.pageStarts, actions.pageStarts.size());
        EXPECT_EQ(c.ends, actions.ends);
        if (!c.pageStartWorks) {
            EXPECT_EQ(std::vector<std::wstring>{ L"启动游戏失败" }, actions.messages);
            EXPECT_EQ(S_OK, Call(object, ClientCall::kAppLogin, { Text(L"{}") }));
            EXPECT_EQ(1u, actions.launches.size());
        }
    }
    // After the login start nothing else starts: the launcher waits for that updater.
    RecordedActions actions;
    actions.guarded = true;
    ClientCall object(&actions);
    EXPECT_EQ(S_OK, Call(object, ClientCall::kAppLogin, { Text(L"{}") }));
    EXPECT_EQ(S_OK, Call(object, ClientCall::kAppLogin, { Text(L"{}") }));
    EXPECT_EQ(S_OK, Call(object, ClientCall::kLoadGame, { Text(L"abc") }));
    EXPECT_EQ(1u, actions.launches.size());
    EXPECT_TRUE(actions.pageStarts.empty());
    EXPECT_EQ(0, actions.ends);
}

TEST(ClientCall, NamesAreMatchedExactlyAndUnknownOnesGetNoMethod)
{
    ClientCall object;
    struct Case {
        const wchar_t* name;
        DISPID id;
    } cases[] = { { L"LoadGame", 100 },
                  { L"AppLogin", 101 },
                  { L"applogin", DISPID_UNKNOWN },
                  { L"APPLOGIN", DISPID_UNKNOWN },
                  { L"Foo", DISPID_UNKNOWN } };
    for (const Case& c : cases) {
        LPOLESTR names[] = { const_cast<LPOLESTR>(c.name) };
        DISPID id = 101; // a stale value must not survive an unknown name
        EXPECT_EQ(S_OK, object.GetIDsOfNames(IID_NULL, names, 1, 0, &id));
        EXPECT_EQ(c.id, id);
    }

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(S_OK, object.QueryInterface(IID_IDispatch, &out));
    EXPECT_EQ(static_cast<IDispatch*>(&object), out);
    EXPECT_EQ(E_NOINTERFACE, object.QueryInterface(IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(1u, object.Release());
}

TEST(ClientCall, FailuresInsideACallBecomeResultCodes)
{
    // The browser's script engine called in: nothing may unwind into it.
    class Failing : public RecordedActions {
    public:
        bool outOfMemory = true;
        void LaunchLoader(const std::string&) override
        {
            if (outOfMemory) throw std::bad_alloc();
            throw std::runtime_error("launch");
        }
    };
    for (bool outOfMemory : { true, false }) {
        Failing actions;
        actions.outOfMemory = outOfMemory;
        ClientCall object(&actions);
        EXPECT_EQ(outOfMemory ? E_OUTOFMEMORY : E_FAIL, Call(object, ClientCall::kAppLogin, { Text(L"{}") }));
    }
}

TEST(HostNotification, RecordLayout)
{
    const HostNotificationRecord record = MakeHostNotificationRecord();
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    std::vector<unsigned char> expected(528, 0);
    expected[0] = 1;
    expected[4] = '1';
    expected[524] = 1;
    EXPECT_EQ(expected, std::vector<unsigned char>(bytes, bytes + 528));
    EXPECT_FALSE(SendHostNotification(nullptr, nullptr));
}

} // namespace
