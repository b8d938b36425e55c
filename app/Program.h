#pragma once
// The program entry: application object, data module, main window, loop.
int RunProgram(int argc, char** argv);
