// Game -- the weather's step in the game update and its answer to the entities.
#include "server/Game.h"

#include "server/Weather.h"

void Game::GetWeatherAt(const WorldPos& position, float& intensity, Vector2& wind) const
{
    WeatherSample sample = weather->GetWeatherAt(position);
    intensity = sample.intensity;
    wind = sample.wind;
}

// The town's weather talk joins this step with the dynamic chat.
void Game::UpdateWeatherChat(float seconds)
{
    weather->Update(seconds);
}
