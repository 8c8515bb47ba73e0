// The scene readers only ask the settings for the game asset root; the fuzzers never touch
// files, so an empty root stands in for the settings module and its platform layer.
#include "settings/Settings.h"

namespace Qel::Settings
{
std::filesystem::path& GetGameAssetsPath()
{
    static std::filesystem::path root;
    return root;
}
}
