// The command table: every menu command and accelerator that the main window passes on.
#pragma once

#include <windows.h>

class MainWindow;

// Runs the command `id` on the main window; false when the table has no such command.
bool RunCommand(UINT id, MainWindow& main);
