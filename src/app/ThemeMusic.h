// ThemeMusic -- the theme music that plays outside a game, until the game client chooses the music itself.
#pragma once

#include "resources/ResourceHandle.h"

#include <string>

class Database;

// The client's music choice with no game and no menu asking for music: the "GameSystem"
// record's "ThemeMusicName", cross-faded over its "MusicFadeTime", for as long as the music
// volume is above 0.
class ThemeMusic {
public:
    // Reads the two keys of the "GameSystem" record; without the record there is no theme.
    void LoadGameSystem(const Database& database);
    // Once a frame: starts the theme, keeps its volume, or fades it out when the music volume is 0.
    void Update();
    // Lets go of the track before the resources are flushed.
    void Release();

    const std::string& GetPlayingName() const { return musicName; }

private:
    std::string themeMusicName;
    float musicFadeTime = 0.0f;
    // The track that plays; empty when none.
    std::string musicName;
    ResourceHandle musicHandle;
};
