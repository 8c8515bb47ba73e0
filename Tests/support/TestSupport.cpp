#include "TestSupport.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace QelTest
{
TempFolder::TempFolder()
{
    static std::atomic<int> ourCounter{0};
    myPath = std::filesystem::temp_directory_path() /
             ("qel-test-" + std::to_string(getpid()) + "-" + std::to_string(ourCounter++));
    std::filesystem::remove_all(myPath);
    std::filesystem::create_directories(myPath);
}

TempFolder::~TempFolder()
{
    std::error_code error;
    std::filesystem::remove_all(myPath, error);
}

std::filesystem::path TempFolder::Write(const std::string& aRelative, const std::string& aContents) const
{
    const std::filesystem::path path = myPath / aRelative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << aContents;
    return path;
}

std::filesystem::path TestDataFolder()
{
    const char* folder = std::getenv("QEL_TEST_DATA");
    return folder ? std::filesystem::path(folder) : std::filesystem::path();
}
}
