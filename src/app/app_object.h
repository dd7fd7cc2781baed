// The application: start-up, the message loop and the shut-down.
#pragma once

#include <windows.h>

// Runs the whole life of the program; returns the process exit code.
int RunApplication(HINSTANCE instance);
