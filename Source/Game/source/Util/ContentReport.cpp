#include "Util/ContentReport.h"

#include <cstdio>

bool ContentReport::Report(std::string_view aKey, std::string aMessage)
{
    if (!myKeys.emplace(aKey).second)
        return false;
    std::printf("%s\n", aMessage.c_str());
    std::fflush(stdout);
    myMessages.push_back(std::move(aMessage));
    return true;
}

void ContentReport::Clear()
{
    myKeys.clear();
    myMessages.clear();
}
