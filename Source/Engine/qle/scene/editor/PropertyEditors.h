#pragma once
#include "stringRegistry/StringId.h"

namespace Qel
{
// Set by a tool to let the path editors pick assets: fills the id with a chosen path (or
// leaves it). Null unless a tool installs one; the "Set From AssetBrowser" buttons only
// appear while it is set.
using AssetBrowserFunction = void (*)(StringId& aPath);
extern AssetBrowserFunction AssetBrowserCallback;

// Gives every property type its ImGui editor. Tools call it once; until then the types'
// ImGuiEdit draws nothing and returns false (the game never installs them).
void InstallPropertyEditors();

// Row helpers of the two-column property table (label cell, value cell).
void ImGuiPropertyRowLabel(bool aSubRow);
void ImGuiPropertyRowValue(bool aSubRow);
void ImGuiHelpMarker(const char* aText, bool aSameLine);

// The index an enum combo shows for a stored value: clamped into 0 .. aCount - 1.
int ShownComboIndex(int aValue, int aCount);
}
