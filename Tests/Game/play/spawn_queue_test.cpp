// Taking scene ids for creation, hidden ones passed over in bounded runs.
#include "Util/SpawnQueue.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
struct Case
{
    const char* name;
    int visibleAtBottom;   // visible ids under the hidden run
    int hiddenAtBack;
    std::vector<std::pair<int, bool>> calls;   // per call: ids popped, something created
};

TEST(SpawnQueue, HiddenRunsAreSkippedAtMostSixtyFourAtATime)
{
    const Case cases[] = {
        {"no hidden", 2, 0, {{1, true}, {1, true}, {0, false}}},
        {"64 hidden", 1, 64, {{65, true}, {0, false}}},
        {"70 hidden", 1, 70, {{65, false}, {6, true}, {0, false}}},
        {"all hidden", 0, 3, {{3, false}, {0, false}}},
    };
    for (const Case& c : cases)
    {
        std::vector<Qel::u32> stack;
        std::set<Qel::u32> hidden;
        for (int i = 0; i < c.visibleAtBottom; ++i)
            stack.push_back(static_cast<Qel::u32>(stack.size()));
        for (int i = 0; i < c.hiddenAtBack; ++i)
        {
            hidden.insert(static_cast<Qel::u32>(stack.size()));
            stack.push_back(static_cast<Qel::u32>(stack.size()));
        }
        for (const auto& [popped, created] : c.calls)
        {
            const size_t before = stack.size();
            const std::optional<Qel::u32> id =
                SpawnQueue::TakeNext(stack, [&](Qel::u32 aId) { return hidden.count(aId) != 0; });
            EXPECT_EQ(static_cast<int>(before - stack.size()), popped) << c.name;
            EXPECT_EQ(id.has_value(), created) << c.name;
            if (id)
            {
                EXPECT_EQ(hidden.count(*id), 0u) << c.name;
            }
        }
    }
}
}
