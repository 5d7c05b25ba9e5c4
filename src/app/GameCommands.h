// GameCommands -- the top-level commands that start and end a game: "start", "resumeGame", "saveAndExit" and "exitWithoutSave".
#pragma once

class Application;

void InstallGameCommands(Application& app);
