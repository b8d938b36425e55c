#pragma once
// The program entry: application object, data module, main window, loop.

#include "data/Database.h"

struct StartOptions {
    // How long the start waits for a file another program holds.
    int busyTimeoutMs = kDefaultBusyTimeoutMs;
    // Start-up benchmark: end as soon as the login dialog shows.
    bool exitAtLogin = false;
};

int RunProgram(int argc, char** argv);

// Data module, main window and message loop on the application object that
// already exists. Returns the exit code: 0 after a normal end,
// kExitStartFailed (app/Tf_login.h) when the database file could not be read.
int RunStart(const StartOptions& options = {});

// The automatic backup at the end of a session (when it is switched on);
// a failure is noted in the database for the next start to report.
void RunExitBackup(Database& db);
