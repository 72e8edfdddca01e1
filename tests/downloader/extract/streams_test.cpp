// The objects handed to the archive library: error conversion, interface answers, streams,
// password requests, progress and the extract callback's per-item decisions.

#include "ArchiveExtractCallback.h"
#include "ArchiveOpenCallback.h"
#include "ExtractProgress.h"
#include "InFileStream.h"
#include "OutFileStream.h"
#include "SevenZipInterfaces.h"
#include "SevenZipUnknown.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

TEST(ExtractErrorConversion, Table)
{
    const struct {
        DWORD error;
        HRESULT expected;
    } cases[] = {
        { ERROR_ACCESS_DENIED, HRESULT(0x80070005) },
        { ERROR_HANDLE_EOF, HRESULT(0x80070026) },
        { 0x12345, HRESULT(0x80072345) },
        { 0, E_FAIL },
        { DWORD(E_OUTOFMEMORY), E_OUTOFMEMORY },
        { 0x80001234u, HRESULT(0x80001234) },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HResultFromError(c.error), c.expected) << c.error;
        EXPECT_TRUE(FAILED(HResultFromError(c.error))) << c.error;
    }
}

// Which ids each object answers.
const GUID* const kAllIds[] = { &IID_IUnknown,
                                &IID_IProgress,
                                &IID_ISequentialInStream,
                                &IID_ISequentialOutStream,
                                &IID_IInStream,
                                &IID_IOutStream,
                                &IID_IStreamGetSize,
                                &IID_IStreamGetProps,
                                &IID_IStreamGetProps2,
                                &IID_ICryptoGetTextPassword,
                                &IID_IArchiveOpenCallback,
                                &IID_IArchiveExtractCallback,
                                &IID_IInArchive };

void ExpectAnswers(IUnknown* object, const std::vector<const GUID*>& answered)
{
    for (const GUID* id : kAllIds) {
        bool expected = false;
        for (const GUID* a : answered) expected = expected || *a == *id;
        void* out = reinterpret_cast<void*>(1);
        const HRESULT hr = object->QueryInterface(*id, &out);
        if (expected) {
            EXPECT_EQ(hr, S_OK);
            ASSERT_NE(out, nullptr);
            // The answer is a live interface of the same object: its count moves with ours.
            static_cast<IUnknown*>(out)->Release();
        } else {
            EXPECT_EQ(hr, E_NOINTERFACE);
            EXPECT_EQ(out, nullptr);
        }
    }
}

TEST(ExtractInterfaces, EachObjectAnswersItsIds)
{
    {
        ComRef<IInStream> s(new CInFileStream);
        ExpectAnswers(s.Get(), { &IID_IUnknown, &IID_IInStream, &IID_IStreamGetSize, &IID_IStreamGetProps,
                                 &IID_IStreamGetProps2 });
    }
    {
        ComRef<IOutStream> s(new COutFileStream);
        ExpectAnswers(s.Get(), { &IID_IUnknown, &IID_IOutStream });
    }
    {
        ComRef<IArchiveOpenCallback> c(new CArchiveOpenCallback);
        ExpectAnswers(c.Get(), { &IID_IUnknown, &IID_ICryptoGetTextPassword });
    }
    {
        ComRef<IArchiveExtractCallback> c(new CArchiveExtractCallback);
        ExpectAnswers(c.Get(), { &IID_IUnknown, &IID_ICryptoGetTextPassword });
    }
}

TEST(ExtractInterfaces, SecondaryInterfacesShareTheCount)
{
    CInFileStream* stream = new CInFileStream;
    EXPECT_EQ(stream->AddRef(), 1u);
    IStreamGetProps2* props = nullptr;
    ASSERT_EQ(stream->QueryInterface(IID_IStreamGetProps2, reinterpret_cast<void**>(&props)), S_OK);
    EXPECT_EQ(props->AddRef(), 3u);
    EXPECT_EQ(props->Release(), 2u);
    EXPECT_EQ(props->Release(), 1u);
    EXPECT_EQ(stream->Release(), 0u);
}

class ExtractStreamFiles : public testing::Test {
protected:
    void SetUp() override
    {
        const char* name = testing::UnitTest::GetInstance()->current_test_info()->name();
        base = FreshFolder(L"streams_" + std::wstring(name, name + strlen(name)));
    }
    std::wstring base;
};

TEST_F(ExtractStreamFiles, InStreamReadsSeeksAndReports)
{
    const std::string data(5 * 1024 * 1024 + 17, 'z');
    WriteWholeFile(base + L"in.bin", data);
    CInFileStream* stream = new CInFileStream;
    ComRef<IInStream> ref(stream);
    EXPECT_FALSE(stream->Open(base + L"missing.bin"));
    ASSERT_TRUE(stream->Open(base + L"in.bin"));

    // One call reads at most 4 MiB.
    std::vector<char> buffer(data.size());
    UINT32 processed = 0;
    EXPECT_EQ(stream->Read(buffer.data(), UINT32(buffer.size()), &processed), S_OK);
    EXPECT_EQ(processed, 0x400000u);

    UINT64 position = 0;
    EXPECT_EQ(stream->Seek(-7, kSeekEnd, &position), S_OK);
    EXPECT_EQ(position, data.size() - 7);
    EXPECT_EQ(stream->Read(buffer.data(), 100, &processed), S_OK);
    EXPECT_EQ(processed, 7u);
    EXPECT_EQ(stream->Seek(3, kSeekSet, &position), S_OK);
    EXPECT_EQ(stream->Seek(2, kSeekCur, &position), S_OK);
    EXPECT_EQ(position, 5u);
    EXPECT_EQ(stream->Seek(0, 3, &position), STG_E_INVALIDFUNCTION);

    UINT64 size = 0;
    EXPECT_EQ(stream->GetSize(&size), S_OK);
    EXPECT_EQ(size, data.size());

    UINT32 attrib = 0;
    FILETIME mtime = { 0, 0 };
    EXPECT_EQ(stream->GetProps(&size, nullptr, nullptr, &mtime, &attrib), S_OK);
    EXPECT_EQ(size, data.size());
    EXPECT_EQ(attrib & FILE_ATTRIBUTE_DIRECTORY, 0u);
    WIN32_FILE_ATTRIBUTE_DATA fad;
    ASSERT_TRUE(GetFileAttributesExW((base + L"in.bin").c_str(), GetFileExInfoStandard, &fad));
    EXPECT_EQ(CompareFileTime(&mtime, &fad.ftLastWriteTime), 0);

    CStreamFileProps props;
    EXPECT_EQ(stream->GetProps2(&props), S_OK);
    EXPECT_EQ(props.Size, data.size());
    EXPECT_EQ(props.NumLinks, 1u);
}

TEST_F(ExtractStreamFiles, UnopenedStreamsReportPlatformErrors)
{
    ComRef<IInStream> in(new CInFileStream);
    char byte = 0;
    UINT32 processed = 5;
    const HRESULT hr = in->Read(&byte, 1, &processed);
    EXPECT_EQ(hr, HRESULT(0x80070006)); // ERROR_INVALID_HANDLE
    EXPECT_EQ(processed, 0u);
    // A failing property read is a failure, not a positive Win32 code taken as success.
    IStreamGetProps* props = nullptr;
    ASSERT_EQ(in->QueryInterface(IID_IStreamGetProps, reinterpret_cast<void**>(&props)), S_OK);
    UINT64 size = 0;
    EXPECT_TRUE(FAILED(props->GetProps(&size, nullptr, nullptr, nullptr, nullptr)));
    props->Release();

    ComRef<IOutStream> out(new COutFileStream);
    EXPECT_TRUE(FAILED(out->Write("x", 1, &processed)));
    EXPECT_EQ(out->SetSize(10), E_FAIL);
}

TEST_F(ExtractStreamFiles, OutStreamWritesInPiecesAndSetsSize)
{
    COutFileStream* stream = new COutFileStream;
    ComRef<IOutStream> ref(stream);
    const std::wstring path = base + L"out.bin";
    ASSERT_TRUE(stream->Create(path));

    const std::string big(9 * 1024 * 1024 + 3, 'q');
    UINT32 processed = 0;
    EXPECT_EQ(stream->Write(big.data(), UINT32(big.size()), &processed), S_OK);
    EXPECT_EQ(processed, big.size());
    EXPECT_EQ(stream->ProcessedSize(), big.size());

    // SetSize cuts the file and leaves the position where it was.
    EXPECT_EQ(stream->SetSize(5), S_OK);
    UINT64 position = 0;
    EXPECT_EQ(stream->Seek(0, kSeekCur, &position), S_OK);
    EXPECT_EQ(position, big.size());
    EXPECT_EQ(stream->Seek(0, kSeekSet, &position), S_OK);
    EXPECT_EQ(stream->Write("ab", 2, &processed), S_OK);
    EXPECT_EQ(stream->Seek(1, 3, &position), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream->Close(), S_OK);
    EXPECT_EQ(ReadWholeFile(path), "abqqq");

    // Creating again truncates and restarts the count.
    ASSERT_TRUE(stream->Create(path));
    EXPECT_EQ(stream->ProcessedSize(), 0u);
    EXPECT_EQ(stream->Close(), S_OK);
    EXPECT_EQ(ReadWholeFile(path), "");
}

TEST(ExtractPasswords, RequestWithoutPasswordIsAborted)
{
    CArchiveOpenCallback* open = new CArchiveOpenCallback;
    ComRef<IArchiveOpenCallback> openRef(open);
    CArchiveExtractCallback* extract = new CArchiveExtractCallback;
    ComRef<IArchiveExtractCallback> extractRef(extract);
    IUnknown* const objects[] = { openRef.Get(), extractRef.Get() };
    for (IUnknown* object : objects) {
        ICryptoGetTextPassword* getter = nullptr;
        ASSERT_EQ(object->QueryInterface(IID_ICryptoGetTextPassword, reinterpret_cast<void**>(&getter)), S_OK);
        BSTR password = SysAllocString(L"stale");
        BSTR stale = password;
        EXPECT_EQ(getter->CryptoGetTextPassword(&password), E_ABORT);
        EXPECT_EQ(password, nullptr);
        SysFreeString(stale);
        getter->Release();
    }

    open->PasswordIsDefined = true;
    open->Password = L"\u5bc6\u7801";
    BSTR password = nullptr;
    EXPECT_EQ(open->CryptoGetTextPassword(&password), S_OK);
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(std::wstring(password), L"\u5bc6\u7801");
    SysFreeString(password);
}

TEST(ExtractProgress, NumberTexts)
{
    EXPECT_EQ(FormatProgressNumber(0), "0");
    EXPECT_EQ(FormatProgressNumber(1234567890123ull), "1234567890123");
    EXPECT_EQ(FormatProgressNumber(0xFFFFFFFFFFFFFFFFull), "18446744073709551615");
}

std::string g_completedText;
std::string g_totalText;

LRESULT CALLBACK ProgressWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_EXTRACT_PROGRESS) {
        g_completedText = reinterpret_cast<const char*>(wParam);
        g_totalText = reinterpret_cast<const char*>(lParam);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(ExtractProgress, WindowMessageCarriesBothCounts)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ProgressWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZelExtractProgressProbe";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    CWindowExtractProgress progress(window);
    progress.OnExtractProgress(4096, 10000000000ull);
    EXPECT_EQ(g_completedText, "4096");
    EXPECT_EQ(g_totalText, "10000000000");
    DestroyWindow(window);
}

// An archive of given items, enough for the extract callback's questions.
struct FakeItem {
    VARTYPE pathType;
    std::wstring path;
    bool isDir;
    bool attribDefined;
    UINT32 attrib;
};

class FakeArchive final : public IInArchive {
public:
    explicit FakeArchive(std::vector<FakeItem> items) : m_items(std::move(items)) {}
    LONG refs = 0;

    HRESULT __stdcall QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG __stdcall AddRef() override { return ULONG(++refs); }
    ULONG __stdcall Release() override { return ULONG(--refs); }
    HRESULT __stdcall Open(IInStream*, const UINT64*, IArchiveOpenCallback*) override { return E_NOTIMPL; }
    HRESULT __stdcall Close() override { return S_OK; }
    HRESULT __stdcall GetNumberOfItems(UINT32* n) override
    {
        *n = UINT32(m_items.size());
        return S_OK;
    }
    HRESULT __stdcall GetProperty(UINT32 index, PROPID id, PROPVARIANT* value) override
    {
        const FakeItem& item = m_items.at(index);
        PropVariantInit(value);
        switch (id) {
        case kpidPath:
            value->vt = item.pathType;
            if (item.pathType == VT_BSTR) value->bstrVal = SysAllocString(item.path.c_str());
            if (item.pathType == VT_UI4) value->ulVal = 1;
            break;
        case kpidIsDir:
            value->vt = VT_BOOL;
            value->boolVal = item.isDir ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case kpidAttrib:
            if (item.attribDefined) {
                value->vt = VT_UI4;
                value->ulVal = item.attrib;
            }
            break;
        case kpidMTime:
            value->vt = VT_FILETIME;
            value->filetime.dwLowDateTime = 0x12345600;
            value->filetime.dwHighDateTime = 0x01D00000;
            break;
        case kpidSize:
            value->vt = VT_UI8;
            value->uhVal.QuadPart = 3;
            break;
        }
        return S_OK;
    }
    HRESULT __stdcall Extract(const UINT32*, UINT32, INT32, IArchiveExtractCallback*) override { return E_NOTIMPL; }
    HRESULT __stdcall GetArchiveProperty(PROPID, PROPVARIANT*) override { return E_NOTIMPL; }
    HRESULT __stdcall GetNumberOfProperties(UINT32*) override { return E_NOTIMPL; }
    HRESULT __stdcall GetPropertyInfo(UINT32, BSTR*, PROPID*, VARTYPE*) override { return E_NOTIMPL; }
    HRESULT __stdcall GetNumberOfArchiveProperties(UINT32*) override { return E_NOTIMPL; }
    HRESULT __stdcall GetArchivePropertyInfo(UINT32, BSTR*, PROPID*, VARTYPE*) override { return E_NOTIMPL; }

private:
    std::vector<FakeItem> m_items;
};

class RecordingProgress final : public IExtractProgress {
public:
    void OnExtractProgress(UINT64 completed, UINT64 total) override
    {
        lastCompleted = completed;
        lastTotal = total;
        ++calls;
    }
    UINT64 lastCompleted = 0, lastTotal = 0;
    int calls = 0;
};

// Runs one item through the callback the way the library does; returns GetStream's result.
HRESULT RunItem(CArchiveExtractCallback* callback, UINT32 index, INT32 askMode, INT32 result, const char* data,
                bool* gotStream = nullptr)
{
    ISequentialOutStream* stream = reinterpret_cast<ISequentialOutStream*>(1);
    const HRESULT hr = callback->GetStream(index, &stream, askMode);
    if (gotStream) *gotStream = stream != nullptr;
    if (hr != S_OK) return hr;
    callback->PrepareOperation(askMode);
    if (stream) {
        UINT32 processed = 0;
        stream->Write(data, UINT32(strlen(data)), &processed);
        stream->Release();
    }
    callback->SetOperationResult(result);
    return hr;
}

class ExtractCallbackItems : public testing::Test {
protected:
    void SetUp() override { out = FreshFolder(L"callback_items"); }
    std::wstring out;
};

TEST_F(ExtractCallbackItems, PerItemDecisions)
{
    FakeArchive archive({
        { VT_BSTR, L"dir/sub/file.txt", false, true, 0x81A40021 },           // 0: Unix mode in the high bits
        { VT_EMPTY, L"", false, false, 0 },                                  // 1: no name
        { VT_BSTR, L"", false, false, 0 },                                   // 2: empty name
        { VT_UI4, L"", false, false, 0 },                                    // 3: a path of the wrong type
        { VT_BSTR, L"..\\outside.txt", false, false, 0 },                    // 4: climbs out
        { VT_BSTR, L"folder\\inner", true, true, FILE_ATTRIBUTE_DIRECTORY }, // 5: folder item
        { VT_BSTR, L"tested.txt", false, false, 0 },                         // 6: only tested
        { VT_BSTR, L"bad.txt", false, false, 0 },                            // 7: fails its CRC
    });
    {
        CArchiveExtractCallback* callback = new CArchiveExtractCallback;
        ComRef<IArchiveExtractCallback> ref(callback);
        RecordingProgress progress;
        callback->Init(&archive, out.substr(0, out.size() - 1)); // no trailing separator
        callback->SetProgress(&progress);
        EXPECT_EQ(archive.refs, 1);

        bool gotStream = false;
        EXPECT_EQ(RunItem(callback, 0, kAskExtract, kOperationOK, "abc", &gotStream), S_OK);
        EXPECT_TRUE(gotStream);
        EXPECT_EQ(ReadWholeFile(out + L"dir\\sub\\file.txt"), "abc");
        EXPECT_EQ(GetFileAttributesW((out + L"dir\\sub\\file.txt").c_str()) & ~DWORD(FILE_ATTRIBUTE_ARCHIVE),
                  DWORD(FILE_ATTRIBUTE_READONLY));
        WIN32_FILE_ATTRIBUTE_DATA fad;
        ASSERT_TRUE(GetFileAttributesExW((out + L"dir\\sub\\file.txt").c_str(), GetFileExInfoStandard, &fad));
        EXPECT_EQ(fad.ftLastWriteTime.dwHighDateTime, 0x01D00000u);
        EXPECT_EQ(fad.ftLastWriteTime.dwLowDateTime, 0x12345600u);

        EXPECT_EQ(RunItem(callback, 1, kAskExtract, kOperationOK, "one"), S_OK);
        EXPECT_EQ(ReadWholeFile(out + L"[Content]"), "one");
        EXPECT_EQ(RunItem(callback, 2, kAskExtract, kOperationOK, "two"), S_OK);
        EXPECT_EQ(ReadWholeFile(out + L"[Content]"), "two");
        EXPECT_EQ(RunItem(callback, 3, kAskExtract, kOperationOK, "x"), E_FAIL);
        EXPECT_EQ(callback->ErrorCount(), 0u);

        EXPECT_EQ(RunItem(callback, 4, kAskExtract, kOperationOK, "evil", &gotStream), S_OK);
        EXPECT_FALSE(gotStream);
        EXPECT_EQ(callback->ErrorCount(), 1u);
        EXPECT_FALSE(FileExists(out + L"..\\outside.txt"));

        EXPECT_EQ(RunItem(callback, 5, kAskExtract, kOperationOK, "", &gotStream), S_OK);
        EXPECT_FALSE(gotStream);
        EXPECT_TRUE(FolderExists(out + L"folder\\inner"));

        EXPECT_EQ(RunItem(callback, 6, kAskTest, kOperationOK, "", &gotStream), S_OK);
        EXPECT_FALSE(gotStream);
        EXPECT_FALSE(FileExists(out + L"tested.txt"));

        EXPECT_EQ(RunItem(callback, 7, kAskExtract, kOperationCRCError, "bad"), S_OK);
        EXPECT_EQ(callback->ErrorCount(), 2u);

        EXPECT_EQ(callback->SetTotal(1000), S_OK);
        const UINT64 done = 250;
        EXPECT_EQ(callback->SetCompleted(&done), S_OK);
        EXPECT_EQ(callback->SetCompleted(nullptr), S_OK);
        EXPECT_EQ(progress.calls, 1);
        EXPECT_EQ(progress.lastCompleted, 250u);
        EXPECT_EQ(progress.lastTotal, 1000u);
    }
    // The callback let go of the archive with its last reference.
    EXPECT_EQ(archive.refs, 0);
}

// Wine drops unknown attribute bits by itself, so the mask is checked on the values.
TEST(ExtractCallbackAttributes, UnixModeBitsAreMasked)
{
    const struct {
        UINT32 stored;
        DWORD disk;
    } cases[] = {
        { 0x81A48021u, 0x21 }, // rw-r--r-- file, read-only and archive, Unix extension bit
        { 0x41ED8010u, 0x10 }, // rwxr-xr-x folder
        { 0x10000002u, 0x2 },  { 0x0FFFFFFFu, 0x0FFFFFFFu }, // no Unix mode: left as it is
        { 0x21u, 0x21 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(CArchiveExtractCallback::DiskAttributes(c.stored), c.disk) << std::hex << c.stored;
}

TEST_F(ExtractCallbackItems, VersionFileWaitsForCommit)
{
    FakeArchive archive(
        { { VT_BSTR, L"ZelUpGame.ini", false, false, 0 }, { VT_BSTR, L"sub\\zelupgame.INI", false, false, 0 } });
    WriteWholeFile(out + L"ZelUpGame.ini", "old");
    SetFileAttributesW((out + L"ZelUpGame.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    CArchiveExtractCallback* callback = new CArchiveExtractCallback;
    ComRef<IArchiveExtractCallback> ref(callback);
    callback->Init(&archive, out);

    EXPECT_EQ(RunItem(callback, 0, kAskExtract, kOperationOK, "new"), S_OK);
    EXPECT_EQ(RunItem(callback, 1, kAskExtract, kOperationOK, "sub new"), S_OK);
    // Until the commit the old version stays in place.
    EXPECT_EQ(ReadWholeFile(out + L"ZelUpGame.ini"), "old");
    EXPECT_FALSE(FileExists(out + L"sub\\zelupgame.INI"));

    EXPECT_TRUE(callback->CommitVersionFiles());
    EXPECT_EQ(ReadWholeFile(out + L"ZelUpGame.ini"), "new");
    EXPECT_EQ(ReadWholeFile(out + L"sub\\zelupgame.INI"), "sub new");
    EXPECT_EQ(ReadTree(out).size(), 3u); // the two files and "sub": no temporary left
}

TEST_F(ExtractCallbackItems, DiscardedVersionFileLeavesTheOldOne)
{
    FakeArchive archive({ { VT_BSTR, L"ZelUpGame.ini", false, false, 0 } });
    WriteWholeFile(out + L"ZelUpGame.ini", "old");
    CArchiveExtractCallback* callback = new CArchiveExtractCallback;
    ComRef<IArchiveExtractCallback> ref(callback);
    callback->Init(&archive, out);
    EXPECT_EQ(RunItem(callback, 0, kAskExtract, kOperationOK, "new"), S_OK);
    callback->DiscardVersionFiles();
    EXPECT_EQ(ReadWholeFile(out + L"ZelUpGame.ini"), "old");
    EXPECT_EQ(ReadTree(out).size(), 1u);
}

TEST_F(ExtractCallbackItems, VersionFilesCommitAllOrNothing)
{
    // Three version files; the second cannot be moved aside (a folder holds its spare name),
    // so the first, already committed, must go back and the third is never touched.
    FakeArchive archive({ { VT_BSTR, L"a\\ZelUpGame.ini", false, false, 0 },
                          { VT_BSTR, L"b\\ZelUpGame.ini", false, false, 0 },
                          { VT_BSTR, L"c\\ZelUpGame.ini", false, false, 0 } });
    CreateDirectoryW((out + L"a").c_str(), nullptr);
    CreateDirectoryW((out + L"b").c_str(), nullptr);
    CreateDirectoryW((out + L"c").c_str(), nullptr);
    WriteWholeFile(out + L"a\\ZelUpGame.ini", "old a");
    SetFileAttributesW((out + L"a\\ZelUpGame.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteWholeFile(out + L"b\\ZelUpGame.ini", "old b");
    CreateDirectoryW((out + L"b\\ZelUpGame.ini.bak").c_str(), nullptr);
    WriteWholeFile(out + L"b\\ZelUpGame.ini.bak\\keep", "in the way");
    CArchiveExtractCallback* callback = new CArchiveExtractCallback;
    ComRef<IArchiveExtractCallback> ref(callback);
    callback->Init(&archive, out);
    EXPECT_EQ(RunItem(callback, 0, kAskExtract, kOperationOK, "new a"), S_OK);
    EXPECT_EQ(RunItem(callback, 1, kAskExtract, kOperationOK, "new b"), S_OK);
    EXPECT_EQ(RunItem(callback, 2, kAskExtract, kOperationOK, "new c"), S_OK);

    EXPECT_FALSE(callback->CommitVersionFiles());
    EXPECT_EQ(callback->ErrorCount(), 1u);
    EXPECT_EQ(ReadWholeFile(out + L"a\\ZelUpGame.ini"), "old a");
    EXPECT_EQ(GetFileAttributesW((out + L"a\\ZelUpGame.ini").c_str()) & FILE_ATTRIBUTE_READONLY,
              DWORD(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(ReadWholeFile(out + L"b\\ZelUpGame.ini"), "old b");
    EXPECT_FALSE(FileExists(out + L"c\\ZelUpGame.ini"));
    // Nothing new and no spare copy is left behind.
    std::set<std::wstring> names;
    for (const auto& entry : ReadTree(out)) names.insert(entry.first);
    EXPECT_EQ(names, (std::set<std::wstring>{ L"a", L"a\\ZelUpGame.ini", L"b", L"b\\ZelUpGame.ini",
                                              L"b\\ZelUpGame.ini.bak", L"b\\ZelUpGame.ini.bak\\keep", L"c" }));
}

TEST_F(ExtractCallbackItems, VersionFileNamesWindowsWouldTrimAreRefused)
{
    // Opened as given, these would write straight into ZelUpGame.ini past the hold-back.
    FakeArchive archive({ { VT_BSTR, L"ZelUpGame.ini.", false, false, 0 },
                          { VT_BSTR, L"ZelUpGame.ini ", false, false, 0 },
                          { VT_BSTR, L"sub\\ZELUPGAME.INI. .", false, false, 0 } });
    WriteWholeFile(out + L"ZelUpGame.ini", "old");
    CArchiveExtractCallback* callback = new CArchiveExtractCallback;
    ComRef<IArchiveExtractCallback> ref(callback);
    callback->Init(&archive, out);
    for (UINT32 i = 0; i < 3; ++i) {
        bool gotStream = true;
        EXPECT_EQ(RunItem(callback, i, kAskExtract, kOperationOK, "new", &gotStream), S_OK);
        EXPECT_FALSE(gotStream) << i;
    }
    EXPECT_EQ(callback->ErrorCount(), 3u);
    EXPECT_TRUE(callback->CommitVersionFiles());
    EXPECT_EQ(ReadWholeFile(out + L"ZelUpGame.ini"), "old");
    EXPECT_EQ(ReadTree(out).size(), 1u);
}

// The short name the system gives the last component of an existing file ("" when none).
std::wstring ShortAlias(const std::wstring& path)
{
    wchar_t shortPath[MAX_PATH * 2] = {};
    const DWORD n = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2) return std::wstring();
    const std::wstring full(shortPath);
    return full.substr(full.find_last_of(L'\\') + 1);
}

TEST_F(ExtractCallbackItems, ShortAliasOfTheVersionFileIsHeldBack)
{
    WriteWholeFile(out + L"ZelUpGame.ini", "old");
    // The system gives this long name a short one of its own; the item uses it.
    const std::wstring alias = ShortAlias(out + L"ZelUpGame.ini");
    ASSERT_FALSE(alias.empty());
    ASSERT_NE(alias, L"ZelUpGame.ini");
    FakeArchive archive({ { VT_BSTR, alias, false, false, 0 } });
    CArchiveExtractCallback* callback = new CArchiveExtractCallback;
    ComRef<IArchiveExtractCallback> ref(callback);
    callback->Init(&archive, out);
    EXPECT_EQ(RunItem(callback, 0, kAskExtract, kOperationOK, "new"), S_OK);
    EXPECT_EQ(ReadWholeFile(out + L"ZelUpGame.ini"), "old");
    EXPECT_TRUE(callback->CommitVersionFiles());
    EXPECT_EQ(ReadWholeFile(out + L"ZelUpGame.ini"), "new");
    EXPECT_EQ(ReadTree(out).size(), 1u);
}

// The list of copies moved aside is the updater's: no package item writes or deletes it under
// any name the system resolves to it. In a sub-folder the name is an ordinary file.
TEST_F(ExtractCallbackItems, ListOfCopiesMovedAsideIsRefused)
{
    WriteWholeFile(out + L"ZelOldFiles.lst", "game.dll.zel-old-0000abcd\r\n");
    const std::wstring alias = ShortAlias(out + L"ZelOldFiles.lst");
    ASSERT_FALSE(alias.empty());
    ASSERT_NE(alias, L"ZelOldFiles.lst");
    FakeArchive archive({ { VT_BSTR, L"ZelOldFiles.lst", false, false, 0 },
                          { VT_BSTR, L"zeloldfiles.LST", false, false, 0 },
                          { VT_BSTR, alias, false, false, 0 },
                          { VT_BSTR, L"ZelOldFiles.lst", true, false, 0 },
                          { VT_BSTR, L"sub\\ZelOldFiles.lst", false, false, 0 } });
    CArchiveExtractCallback* callback = new CArchiveExtractCallback;
    ComRef<IArchiveExtractCallback> ref(callback);
    callback->Init(&archive, out);
    for (UINT32 i = 0; i < 4; ++i) {
        bool gotStream = true;
        EXPECT_EQ(RunItem(callback, i, kAskExtract, kOperationOK, "package data", &gotStream), S_OK);
        EXPECT_FALSE(gotStream) << i;
        EXPECT_EQ(callback->ErrorCount(), i + 1u);
    }
    EXPECT_EQ(ReadWholeFile(out + L"ZelOldFiles.lst"), "game.dll.zel-old-0000abcd\r\n");
    EXPECT_EQ(RunItem(callback, 4, kAskExtract, kOperationOK, "package data"), S_OK);
    EXPECT_EQ(callback->ErrorCount(), 4u);
    EXPECT_EQ(ReadWholeFile(out + L"sub\\ZelOldFiles.lst"), "package data");
}

// Nor does an item take the names the updater's other bookkeeping has, in any folder: a copy
// moved aside (which the clean-up deletes), the list's next version, and the names the version
// file has while it is put in place (an item of such a name would overwrite the new version
// held back, or be taken for the old one). Also not through a short alias of an existing one.
TEST_F(ExtractCallbackItems, BookkeepingNamesAreRefused)
{
    ASSERT_TRUE(CreateDirectoryW((out + L"sub").c_str(), nullptr));
    WriteWholeFile(out + L"game.dll.zel-old-0000abcd", "copy in use");
    WriteWholeFile(out + L"sub\\ZelUpGame.ini.bak", "old version");
    const std::wstring alias = ShortAlias(out + L"sub\\ZelUpGame.ini.bak");
    ASSERT_FALSE(alias.empty());
    ASSERT_NE(alias, L"ZelUpGame.ini.bak");
    FakeArchive archive({ { VT_BSTR, L"ZelUpGame.ini", false, false, 0 },
                          { VT_BSTR, L"ZelUpGame.ini.tmp", false, false, 0 },
                          { VT_BSTR, L"zelupgame.INI.BAK", false, false, 0 },
                          { VT_BSTR, L"sub\\ZelUpGame.ini", false, false, 0 },
                          { VT_BSTR, L"sub\\zelupgame.ini.tmp", false, false, 0 },
                          { VT_BSTR, L"sub\\" + alias, false, false, 0 },
                          { VT_BSTR, L"game.dll.zel-old-0000abcd", false, false, 0 },
                          { VT_BSTR, L"sub\\x.ZEL-OLD-0123beef", false, false, 0 },
                          { VT_BSTR, L"ZelOldFiles.lst.new", false, false, 0 } });
    CArchiveExtractCallback* callback = new CArchiveExtractCallback;
    ComRef<IArchiveExtractCallback> ref(callback);
    callback->Init(&archive, out);
    const char* data[] = { "new version", "package data", "package data", "new sub version", "package data",
                           "package data", "package data", "package data", "package data" };
    UINT64 refused = 0;
    for (UINT32 i = 0; i < 9; ++i) {
        bool gotStream = false;
        EXPECT_EQ(RunItem(callback, i, kAskExtract, kOperationOK, data[i], &gotStream), S_OK);
        // Only the two version files are written (under their temporary names).
        EXPECT_EQ(gotStream, i == 0 || i == 3) << i;
        if (!gotStream) ++refused;
        EXPECT_EQ(callback->ErrorCount(), refused) << i;
    }
    EXPECT_TRUE(callback->CommitVersionFiles());
    EXPECT_EQ(ReadWholeFile(out + L"ZelUpGame.ini"), "new version");
    EXPECT_EQ(ReadWholeFile(out + L"sub\\ZelUpGame.ini"), "new sub version");
    EXPECT_EQ(ReadWholeFile(out + L"game.dll.zel-old-0000abcd"), "copy in use");
    std::set<std::wstring> names;
    for (const auto& entry : ReadTree(out)) names.insert(entry.first);
    EXPECT_EQ(ReadWholeFile(out + L"sub\\ZelUpGame.ini.bak"), "old version");
    EXPECT_EQ(names, (std::set<std::wstring>{ L"ZelUpGame.ini", L"game.dll.zel-old-0000abcd", L"sub",
                                              L"sub\\ZelUpGame.ini", L"sub\\ZelUpGame.ini.bak" }));
}

} // namespace
