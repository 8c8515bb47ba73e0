#pragma once
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace Qel
{
// Where content loaders report problems: each message names its file and the cause. Errors
// are broken content (something was refused or left out); warnings are entries passed over
// on purpose. Messages go to standard output and are kept for tools and tests.
class ContentLog
{
public:
    struct Message
    {
        bool myIsError;
        std::string myFile;
        std::string myText; // the line as printed
    };

    ContentLog() = default;
    // aOut null: keep the messages without printing them.
    explicit ContentLog(std::ostream* aOut) : myOut(aOut), myHasOut(true) {}

    void Error(std::string_view aFile, std::string_view aCause);
    void Warning(std::string_view aFile, std::string_view aCause);
    // A line printed exactly as given (fixed texts such as the duplicate-definition one).
    void ErrorLine(std::string_view aFile, std::string_view aLine);

    int GetErrorCount() const { return myErrorCount; }
    int GetWarningCount() const { return myWarningCount; }
    const std::vector<Message>& GetMessages() const { return myMessages; }
    // True when some message contains aText.
    bool Contains(std::string_view aText) const;

private:
    void Emit(bool aIsError, std::string_view aFile, std::string aLine);

    std::ostream* myOut = nullptr;
    bool myHasOut = false;
    int myErrorCount = 0;
    int myWarningCount = 0;
    std::vector<Message> myMessages;
};

// The log the game's loaders use when none is given: prints to standard output.
ContentLog& GetDefaultContentLog();
}
