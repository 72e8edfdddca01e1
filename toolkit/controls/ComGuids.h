#pragma once
// Interface and class ids the rich controls use that the platform's uuid library does not
// provide. Each has its storage in ComGuids.cpp, one definition per line; ids the platform
// headers already declare (through DEFINE_GUID) keep those declarations.
#include <windows.h>
#include <ole2.h>

// Declared by mshtmhst.h / downloadmgr.h, missing from libuuid:
//   IID_ICustomDoc, CGID_DocHostCommandHandler, IID_IDownloadManager
// Declared by textserv.h, missing from libuuid:
//   IID_ITextServices, IID_ITextHost

// The Flash player: no platform header declares it; none of its methods are called.
extern "C" const CLSID CLSID_ShockwaveFlash;
extern "C" const IID IID_IShockwaveFlash;
extern "C" const IID DIID__IShockwaveFlashEvents;
