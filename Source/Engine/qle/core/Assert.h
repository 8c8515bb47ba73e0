#pragma once

// Live in every build type: a broken invariant stops the program with the expression text.
namespace Qel::impl
{
[[noreturn]] void AssertFailed(const char* aExpression, const char* aFile, int aLine);
}

#define QEL_ASSERT(expr) ((expr) ? (void)0 : ::Qel::impl::AssertFailed(#expr, __FILE__, __LINE__))
// Same, reporting aText in place of the expression (where the text is fixed by the caller's contract).
#define QEL_ASSERT_TEXT(expr, aText) ((expr) ? (void)0 : ::Qel::impl::AssertFailed(aText, __FILE__, __LINE__))
