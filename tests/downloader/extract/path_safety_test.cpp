// The rules that keep archive items and downloaded names away from devices, from places
// outside the output folder and from the programs' own files.

#include "PathSafety.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Show(const wchar_t* p)
{
    return testing::PrintToString(std::wstring(p));
}

TEST(PathSafety, ArchiveItemPaths)
{
    const wchar_t* safe[] = {
        L"a.txt",
        L"dir\\sub\\f.bin",
        L"dir/sub/f",
        L"\u6e38\u620f\\\u914d\u7f6e.ini",
        L"a..b",
        L".hidden",
        L"dir\\",
        L"CONSOLE.txt",
        L"com10",
        L"nul_file",
        L"LPT",
        L"[Content]",
        L"a\\\\b",
        L"ZelUpGame.ini",
        L"sub\\zelupgame.INI",
    };
    const wchar_t* unsafe[] = {
        L"",
        L"..\\x",
        L"../x",
        L"a\\..\\..\\x",
        L"a\\..",
        L"..",
        L"\\x",
        L"/x",
        L"\\\\srv\\sh\\x",
        L"\\\\?\\C:\\x",
        L"C:\\x",
        L"C:x",
        L"a:s",
        L"ok.txt:hidden",
        L"NUL",
        L"nul.txt",
        L"sub\\CON",
        L"Com1.log",
        L"LPT9",
        L"aux ",
        L"conin$",
        L"x\\...\\y",
        L"x\\ .\\y",
        L"a*b",
        L"a?b",
        L"a|b",
        L"a<b",
        L"a\x01"
        L"b",
        L"COM\u00B9",
        // Names that Windows trims to another name: the version file must not come in as one.
        L"x.",
        L"ZelUpGame.ini.",
        L"ZelUpGame.ini ",
        L"sub\\ZelUpGame.ini. .",
        L"dir.\\f",
        L"dir \\f",
        L"ZelUpGame.ini::$DATA",
    };
    for (const wchar_t* p : safe) EXPECT_TRUE(IsSafeArchiveItemPath(p)) << Show(p);
    for (const wchar_t* p : unsafe) EXPECT_FALSE(IsSafeArchiveItemPath(p)) << Show(p);
}

TEST(PathSafety, DeviceNames)
{
    const wchar_t* devices[] = { L"NUL",       L"nul",    L"Nul.7z",    L"COM1",         L"com9.zip", L"LPT1",
                                 L"lpt0.txt",  L"CON",    L"con .txt",  L"PRN.a.b",      L"AUX",      L"CONIN$",
                                 L"conout$.x", L"CLOCK$", L"COM\u00B2", L"LPT\u00B3.dat" };
    const wchar_t* names[] = { L"NULL", L"COM", L"COM10", L"LPTX", L"CONSOLE", L"xNUL", L"AUX1", L"", L"7z.dll" };
    for (const wchar_t* d : devices) EXPECT_TRUE(IsDeviceName(d)) << Show(d);
    for (const wchar_t* n : names) EXPECT_FALSE(IsDeviceName(n)) << Show(n);
}

// Names the updater keeps for its own bookkeeping: in any folder the copies moved aside and
// the version file's temporary and backup names, at the top the list and its next version.
TEST(PathSafety, ReservedItemPaths)
{
    const wchar_t* reserved[] = {
        L"ZelOldFiles.lst", L"zeloldfiles.LST", L"ZelOldFiles.lst.new", L"ZELOLDFILES.LST.NEW",
        L"game.dll.zel-old-0000abcd", L"sub\\game.dll.zel-old-0123ABCD", L"a/b/x.ZEL-OLD-deadbeef",
        L"ZelUpGame.ini.tmp", L"zelupgame.INI.TMP", L"sub\\ZelUpGame.ini.tmp", L"ZelUpGame.ini.bak",
        L"a/b/zelupgame.ini.Bak",
    };
    const wchar_t* ordinary[] = {
        L"sub\\ZelOldFiles.lst", L"sub/ZelOldFiles.lst.new", L"ZelOldFiles.lst.old", L"ZelUpGame.ini",
        L"sub\\ZelUpGame.ini", L"ZelUpGame.ini.tmp2", L"ZelUpGame.ini.bk", L"x.zel-old-0000abc", L"x.zel-old-0000abcde",
        L"x.zel-old-0000abcg", L".zel-old-0000abcd", L"x.zel-new-0000abcd", L"game.7z",
    };
    for (const wchar_t* p : reserved) EXPECT_TRUE(IsReservedItemPath(p)) << Show(p);
    for (const wchar_t* p : ordinary) EXPECT_FALSE(IsReservedItemPath(p)) << Show(p);
}

TEST(PathSafety, DownloadNames)
{
    const wchar_t* usable[] = { L"game.7z",          L"my game.7z", L"\u6e38\u620f.7z", L"7z.dll.7z",
                                L"ZelLoader.exe.7z", L"update.ini", L"old.exe.bak" };
    const wchar_t* refused[] = { // The folder's own programs and settings, in any case.
                                 L"7z.dll", L"7Z.DLL", L"ZelUpGame.ini", L"zelupgame.INI", L"ZelLogin.ini",
                                 L"ZelLoader.exe", L"zelloader.EXE", L"Login.exe", L"old.exe", L"OLD.EXE",
                                 // The updater's bookkeeping.
                                 L"ZelOldFiles.lst", L"ZelOldFiles.lst.new", L"ZelUpGame.ini.tmp",
                                 L"game.7z.zel-old-0000abcd",
                                 // The same, as Windows would trim them.
                                 L"7z.dll.", L"ZelLoader.exe ", L"Login.exe. ",
                                 // Devices.
                                 L"NUL", L"nul", L"COM1", L"com1.7z", L"LPT2.zip", L"CON", L"aux.7z",
                                 // Nothing, dots, separators, streams, wildcards.
                                 L"", L".", L"..", L"a\\b.7z", L"a/b.7z", L"g.7z:s", L"g?.7z", L"g\t.7z"
    };
    for (const wchar_t* n : usable) EXPECT_TRUE(IsUsableDownloadName(n)) << Show(n);
    for (const wchar_t* n : refused) EXPECT_FALSE(IsUsableDownloadName(n)) << Show(n);
    EXPECT_TRUE(IsFolderOwnFileName(L"zellogin.ini"));
    EXPECT_FALSE(IsFolderOwnFileName(L"ZelLogin.ini.bak"));
}

} // namespace
