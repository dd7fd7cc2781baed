// The application: start-up, the message loop, the command table and the shut-down.
#pragma once

#include <windows.h>

class MainWindow;

// Runs the whole life of the program; returns the process exit code.
int RunApplication(HINSTANCE instance);

// The main window that commands act on.
MainWindow* TheMainWindow();

// Runs the command `id` from the command table; false when the table has no such command.
bool RunCommand(UINT id);
