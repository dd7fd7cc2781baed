// View > Settings: the user picks a settings file, and the main window shows the settings mode.
#pragma once

class MainWindow;

// The open-file dialog for ".sdb" files; a file that opens becomes the main window's
// SettingsFileName and switches it to the settings mode (what was on screen is taken down,
// an edited commentary saved first). A file that does not open is said in a message box.
void ViewSettingsCommand(MainWindow& main);
