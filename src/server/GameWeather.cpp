// Game -- the weather's step in the game update and its answer to the entities.
#include "server/Game.h"

#include "rules/RulesEnums.h"
#include "server/Weather.h"

void Game::GetWeatherAt(const WorldPos& position, float& intensity, Vector2& wind) const
{
    WeatherSample sample = weather->GetWeatherAt(position);
    intensity = sample.intensity;
    wind = sample.wind;
}

// The town talks of the weather when a front comes or goes and the town feels it.
void Game::UpdateWeatherChat(float seconds)
{
    int32_t fronts = weather->GetLiveFrontCount();
    weather->Update(seconds);
    if (weather->GetLiveFrontCount() == fronts)
        return;
    if (weather->GetWeatherAt(townCenter).intensity > kWeatherChatIntensity)
        AddDynamicNpcChat(ChatDialogType::Rain, "", 0);
}
