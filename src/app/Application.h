// Application -- the composition root: which implementation fills each system slot, and the program's run.
#pragma once

#include <string>

class Application;

// Fills the slots and hooks of the application with this program's systems. The working
// folder holds "Assets", "User", the archives and the ".cfg" files; empty: the current folder.
void InstallSystems(Application& app, const std::string& workingFolder);

// The whole run: start-up, frames until quit, shut-down. The process's exit code.
int RunApplication();
