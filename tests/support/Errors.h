#pragma once

#include "RuntimeError.h"

#include <functional>
#include <string>

// The text of the error an action ends with, "<no error>" when it ends well.
inline std::string errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const forms::RuntimeError& e) {
        return e.what();
    }
    return "<no error>";
}
