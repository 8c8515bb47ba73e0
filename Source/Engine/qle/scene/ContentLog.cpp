#include "scene/ContentLog.h"

#include <iostream>

namespace Qel
{
void ContentLog::Error(std::string_view aFile, std::string_view aCause)
{
    Emit(true, aFile, std::string(aFile) + ": error: " + std::string(aCause));
}

void ContentLog::Warning(std::string_view aFile, std::string_view aCause)
{
    Emit(false, aFile, std::string(aFile) + ": warning: " + std::string(aCause));
}

void ContentLog::ErrorLine(std::string_view aFile, std::string_view aLine)
{
    Emit(true, aFile, std::string(aLine));
}

bool ContentLog::Contains(std::string_view aText) const
{
    for (const Message& message : myMessages)
    {
        if (message.myText.find(aText) != std::string::npos)
        {
            return true;
        }
    }
    return false;
}

void ContentLog::Emit(bool aIsError, std::string_view aFile, std::string aLine)
{
    (aIsError ? myErrorCount : myWarningCount)++;
    std::ostream* out = myHasOut ? myOut : &std::cout;
    if (out)
    {
        *out << aLine << '\n';
        out->flush();
    }
    // A long-running game keeps loading levels; the printed lines are what matter there.
    constexpr std::size_t KEPT_MESSAGES = 4096;
    if (myMessages.size() < KEPT_MESSAGES)
    {
        myMessages.push_back({aIsError, std::string(aFile), std::move(aLine)});
    }
}

ContentLog& GetDefaultContentLog()
{
    static ContentLog* log = new ContentLog();
    return *log;
}
}
