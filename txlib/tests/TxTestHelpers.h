// Helpers the library's tests share.
#pragma once

#include <string>

#include "UTxBase.h"

// The message of the ExNormal that f throws, or "(nothing thrown)".
template <typename F> std::string ThrownText(F f)
{
    try {
        f();
    } catch (const ExNormal& e) {
        return e.Message();
    }
    return "(nothing thrown)";
}
