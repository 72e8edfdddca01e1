#pragma once
#include <windows.h>

#include <string>
#include <vector>

// An ActiveX control named in a dialog template: the platform's dialog manager knows no
// such class, so the framework takes it out of the template and creates it itself.
struct DialogActiveXItem {
    CLSID clsid;
    UINT id;
    DWORD style;
    RECT units; // left, top, right, bottom in dialog units
};

// Copies an extended dialog template without its ActiveX items (class names written as a
// class id in braces) and returns those in `items`. A classic template, or one that cannot
// be read, is copied unchanged.
std::vector<BYTE> StripActiveXItems(const void* dialogTemplate, size_t size, std::vector<DialogActiveXItem>& items);
