#pragma once
// OLE started once for a whole test program, on its main thread, as a program using the
// toolkit's ActiveX controls starts it itself. A test file registers it with
//   ::testing::AddGlobalTestEnvironment(new fakes::OleEnvironment);
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

namespace fakes {

class OleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::OleInitialize(NULL))); }
    void TearDown() override { ::OleUninitialize(); }
};

} // namespace fakes
