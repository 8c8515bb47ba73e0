// qel_content_check <game asset root> [<engine asset root>]
// Loads every object definition and scene with every object's properties and reports each
// problem with its file and cause. Exit status 1 when there is an error.
#include "ContentChecker.h"

#include <iostream>

int main(int aArgc, char** aArgv)
{
    if (aArgc < 2 || aArgc > 3)
    {
        std::cerr << "usage: qel_content_check <game asset root> [<engine asset root>]\n";
        return 2;
    }
    const std::filesystem::path gameRoot = aArgv[1];
    const std::filesystem::path engineRoot = aArgc == 3 ? std::filesystem::path(aArgv[2]) : gameRoot.parent_path() / "engine";
    Qel::ContentLog log(&std::cout);
    const int errors = Qel::ContentCheck::Run(gameRoot, engineRoot, log);
    std::cout << "content check of " << gameRoot.string() << ": " << errors << " error(s), " << log.GetWarningCount()
              << " warning(s)\n";
    return errors == 0 ? 0 : 1;
}
