#include "GameGlobals.h"

#include "AudioManager.h"

namespace
{
AudioManager ourAudioManager;
std::mt19937 ourRandomEngine;
}

AudioManager& GetAudioManager() { return ourAudioManager; }

std::mt19937& GetRandomEngine() { return ourRandomEngine; }
