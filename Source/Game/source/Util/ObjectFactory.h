#pragma once
// How the object factory makes one record of a listed kind: value-initialised (zero, then the
// kind's defaults), set up by the kind's Init from the scene's transform and properties, given
// its index in the list where the kind needs it, then moved to the back of its list.
#include <cstddef>
#include <utility>
#include <vector>

template <typename Kind, typename Init, typename PostInit>
Kind& AddToList(std::vector<Kind>& aList, Init&& aInit, PostInit&& aPostInit)
{
    Kind record{};
    aInit(record);
    aPostInit(record, aList.size());
    aList.push_back(std::move(record));
    return aList.back();
}

template <typename Kind, typename Init>
Kind& AddToList(std::vector<Kind>& aList, Init&& aInit)
{
    return AddToList(aList, std::forward<Init>(aInit), [](Kind&, std::size_t) {});
}
