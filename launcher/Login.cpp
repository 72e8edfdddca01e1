// The launcher program: its application object, constructed before the entry point.
#include "LoginApp.h"

CLoginApp theApp;
