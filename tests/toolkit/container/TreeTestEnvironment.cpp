#include <windows.h>
#include <gtest/gtest.h>
#include "core/PaintManager.h"

namespace {

// The instance, as a program sets it before its first window; GDI+ ends with the run.
class ToolkitEnvironment : public ::testing::Environment {
public:
    void SetUp() override { SkinUI::CPaintManagerUI::SetInstance(::GetModuleHandleW(NULL)); }
    void TearDown() override { SkinUI::CPaintManagerUI::Term(); }
};
::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

} // namespace
