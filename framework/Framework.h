#pragma once
// The application framework the launcher is built on: application object, window wrappers
// with message maps, dialogs, GDI wrappers, worker threads and date-time values.
//
// A window class routes messages to members through its map:
//
//   class MyDlg : public CDialog {
//    protected:
//     void OnPaint();
//     void OnOkClicked();
//     DECLARE_MESSAGE_MAP()
//   };
//   BEGIN_MESSAGE_MAP(MyDlg, CDialog)
//     ON_WM_PAINT()
//     ON_BN_CLICKED(IDOK, &MyDlg::OnOkClicked)
//   END_MESSAGE_MAP()
//
// Rows a class does not have are looked for in its base's map; a message no map takes gets
// the window's own handling (CWnd::Default). WM_DRAWITEM and the WM_CTLCOLOR* messages that
// the parent does not take go to the control's wrapper (CButton::DrawItem, a CtlColor row
// made with ON_WM_CTLCOLOR_REFLECT). Dialogs come from RT_DIALOG templates of the program
// and receive WM_CREATE like any window.
#include "Button.h"
#include "DateTime.h"
#include "Dialog.h"
#include "EventSink.h"
#include "Gdi.h"
#include "OleControl.h"
#include "Thread.h"
#include "WinApp.h"
#include "Wnd.h"
