// UiStartUp -- where the user interface joins the program: its system, its menus at start-up, the game view it reads, the input it is offered and the frame that draws it.
#pragma once

class Application;

void InstallUserInterface(Application& app);
