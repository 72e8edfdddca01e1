#include <gtest/gtest.h>
#include <windows.h>

#include "common/ModuleFolder.h"

TEST(ModuleFolder, IsTheProgramsFolderWithItsSeparator)
{
    wchar_t buffer[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
    ASSERT_GT(n, 0u);
    const std::wstring exe(buffer, n);
    EXPECT_EQ(GetCurrentModulePath(), exe);
    const std::wstring folder = GetCurrentModuleDirectory();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_EQ(exe.compare(0, folder.size(), folder), 0);
    EXPECT_EQ(exe.find_first_of(L"\\/", folder.size()), std::wstring::npos);
}

TEST(ModuleFolder, FolderOfPathTable)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* folder;
    };
    const Case cases[] = {
        { L"C:\\game\\ZelLoader.exe", L"C:\\game\\" },
        { L"C:/game/sub/Login.exe", L"C:/game/sub/" },
        { L"C:\\game\\", L"C:\\game\\" },
        { L"ZelLoader.exe", L"" },
        { L"", L"" },
        // The first character is never taken as the separator.
        { L"\\ZelLoader.exe", L"" },
        { L"\\\\server\\share\\a.exe", L"\\\\server\\share\\" },
        { L"C:\\game/mixed\\x.exe", L"C:\\game/mixed\\" },
    };
    for (const Case& c : cases) EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.path;
}
