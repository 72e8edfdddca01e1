// The launcher's message boxes on its road, answered by the project's message-box driver.
// The driver presses its button in every "#32770" window, and the launcher's own windows
// are dialogs too: it is told to press IDABORT, which ends a message box under Wine and
// means nothing to the launcher's dialogs.
#include "RoadSupport.h"

#include <sstream>

namespace {

using namespace road;

struct BoxRun {
  DWORD exitCode = STILL_ACTIVE;
  std::vector<std::wstring> hintTexts;  // texts of the boxes captioned "提示", in order
};

BoxRun RunWithBoxDriver(const CaseFolder& folder, const std::wstring& switches) {
  BoxRun run;
  const std::wstring log = folder.File(L"boxes.log");
  ::DeleteFileW(log.c_str());
  // No trailing backslash before a closing quote: it would escape the quote.
  const std::wstring cwd = folder.Path().substr(0, folder.Path().size() - 1);
  Child driver(BinFolder() + L"msgbox_driver.exe",
               L"--log \"" + log + L"\" --press 3 --timeout 60 --cwd \"" + cwd + L"\" -- \"" +
                   folder.File(L"LoginRoad.exe") + L"\" " + switches,
               folder.Path());
  if (!driver.Started()) return run;
  run.exitCode = driver.Wait(90000);
  std::istringstream lines(ReadFile(log));
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    if (fields.size() >= 4 && fields[0] == "box" && FromUtf8(fields[2]) == L"提示")
      run.hintTexts.push_back(FromUtf8(fields[3]));
  }
  return run;
}

TEST(LauncherRoadBoxes, FailedStartsAndTheEmptyLoginAreReported) {
  if (!Exists(BinFolder() + L"msgbox_driver.exe")) GTEST_SKIP() << "no message-box driver was built";
  struct Case {
    const wchar_t* name;
    const char* call;
    const char* argument;
    const wchar_t* text;
    size_t notices;  // the close button after a call that returned notifies once
  } cases[] = {
      // The login start without an updater ends the launcher without telling the host.
      {L"box-nologin", "AppLogin", R"({"uid":"5"})", L"启动游戏失败！请重新启动", 0},
      {L"box-emptylogin", "AppLogin", "[]", L"AppLogin返回错误！", 1},
      {L"box-noloadgame", "LoadGame", "abc", L"启动游戏失败", 1},
  };
  for (const Case& c : cases) {
    CaseFolder folder(c.name);
    folder.Copy(L"LoginRoad.exe");
    folder.Script(c.call, c.argument);
    std::ofstream(folder.File(L"road.txt").c_str(), std::ios::app) << "Close\n";
    HostWindow host;
    const BoxRun run = RunWithBoxDriver(folder, host.Switch());
    const std::string where(c.name, c.name + wcslen(c.name));
    EXPECT_EQ(0u, run.exitCode) << where;
    EXPECT_EQ(std::vector<std::wstring>{c.text}, run.hintTexts) << where;
    EXPECT_EQ(c.notices, host.Notices().size()) << where;
    EXPECT_FALSE(Exists(folder.File(L"loader-args.txt"))) << where;
  }
}

}  // namespace
