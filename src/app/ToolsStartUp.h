// ToolsStartUp -- where the in-game editors join the program: their system slots, the frame's editor views and the client's editor hooks.
#pragma once

class Application;

void InstallTools(Application& app);
