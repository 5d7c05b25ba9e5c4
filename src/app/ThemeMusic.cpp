// ThemeMusic -- the theme music that plays outside a game, until the game client chooses the music itself.
#include "app/ThemeMusic.h"

#include "audio/SoundSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/StringUtil.h"
#include "resources/ResourceManager.h"

void ThemeMusic::LoadGameSystem(const Database& database)
{
    const DatabaseEntry* entry = database.FindEntryByName("GameSystem");
    if (!entry)
        return;
    themeMusicName = entry->GetString("ThemeMusicName");
    musicFadeTime = entry->GetFloat("MusicFadeTime", 0.0f);
}

void ThemeMusic::Update()
{
    if (!gSoundSystem || !gSoundSystem->IsInitialised())
        return;
    bool wanted = gSoundSystem->GetMusicVolume() > 0.0f && !themeMusicName.empty();
    if (wanted && StringEqualsNoCase(themeMusicName, musicName)) {
        gSoundSystem->SetMusicVolume(musicFadeTime, 1.0f);
        return;
    }
    if (wanted) {
        gResourceManager->Load(themeMusicName, musicHandle);
        musicName = themeMusicName;
        if (musicHandle.IsValid())
            gSoundSystem->PlayMusic(musicHandle, musicFadeTime, 1.0f);
        return;
    }
    if (!musicName.empty()) {
        gSoundSystem->StopMusic(musicFadeTime);
        musicName.clear();
    }
}

void ThemeMusic::Release()
{
    musicHandle.Reset();
    musicName.clear();
}
