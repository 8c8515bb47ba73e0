#pragma once
#include <filesystem>
#include <string>

namespace QelTest
{
// A fresh, empty folder under the system temp folder, removed when the object dies.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return myPath; }
    // Writes aContents to Path()/aRelative, creating folders; returns the full path.
    std::filesystem::path Write(const std::string& aRelative, const std::string& aContents) const;

private:
    std::filesystem::path myPath;
};

// Folder of checked-in test data (QEL_TEST_DATA), or empty.
std::filesystem::path TestDataFolder();
}
