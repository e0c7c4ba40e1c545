#pragma once

#include <windows.h>

// The references for Kelvarin.exe's start-up under Wine: a bare Win32 dialog ("Minimal
// Dialog", a text and an OK button, from an in-memory template), shown modally until closed.
int ShowMinimalDialog(HINSTANCE instance);
