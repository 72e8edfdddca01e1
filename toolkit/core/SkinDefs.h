#pragma once
// Common ground of every toolkit header: the platform headers and the export macro.
#include <windows.h>

// The toolkit's public classes are exported from the program that links the toolkit.
// g++ exports its own mangled names; nothing imports them, so one macro serves both the
// library and its users.
#ifndef SKINUI_API
#define SKINUI_API __declspec(dllexport)
#endif
