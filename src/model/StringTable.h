#pragma once
#include "model/Format.h"
#include "model/StringIds.h"

// The text under a number; empty when there is none.
QString ResourceString(unsigned id);

// The text under a number formatted printf-style with the arguments.
template <class... A>
QString FormatResource(unsigned id, A&&... args)
{
    return Fmt(ResourceString(id), std::forward<A>(args)...);
}

// "QRO4000".
QString ProductName();
