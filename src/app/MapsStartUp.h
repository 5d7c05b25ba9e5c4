// MapsStartUp -- where the world map and the mini-map join the program: their slot, the renderer's passes, the client's answers and hooks, and the interface's menu and frame.
#pragma once

class Application;

void InstallMaps(Application& app);
