// Application -- the composition root: which implementation fills each system slot, and the program's run.
#pragma once

#include <string>

class Application;

// Whether the program opens its window: without one it runs on the graphics device that draws nothing.
enum class DisplayChoice { kHeadless, kWindow };

// Fills the slots and hooks of the application with this program's systems. The working
// folder holds "Assets", "User", the archives and the ".cfg" files; empty: the current folder.
void InstallSystems(Application& app, const std::string& workingFolder,
                    DisplayChoice display = DisplayChoice::kHeadless);

// Start-up, frames until quit, shut-down of an application whose systems are installed.
// The process's exit code: 0, or 1 when a start-up step failed.
int RunApplication(Application& app);
// The whole program in the current folder, in a window, quit signals included. The process's exit code.
int RunApplication();
