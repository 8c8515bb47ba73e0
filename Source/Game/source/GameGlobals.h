#pragma once
// Game-wide objects, each made before main and kept for the process.
#include <random>

class AudioManager;

AudioManager& GetAudioManager();
// The game's random engine; the state stack reseeds it at start (tests seed it themselves).
std::mt19937& GetRandomEngine();
