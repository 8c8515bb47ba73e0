#pragma once

namespace Qel
{
// Minimal until text is built.
class TextService
{
public:
    bool Init() { return true; }
};
}
