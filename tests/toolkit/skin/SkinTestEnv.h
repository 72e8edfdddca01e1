#pragma once
#include <gtest/gtest.h>

#include "core/PaintManager.h"

// Every test program of this folder runs with the toolkit's instance set, and ends it.
class ToolkitInstance : public testing::Environment {
public:
    void SetUp() override { SkinUI::CPaintManagerUI::SetInstance(::GetModuleHandleW(NULL)); }
    void TearDown() override { SkinUI::CPaintManagerUI::Term(); }
};
