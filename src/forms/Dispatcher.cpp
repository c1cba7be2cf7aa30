#include "Dispatcher.h"

#include <cstdio>
#include <exception>
#include <string>

namespace forms {

bool Dispatcher::run(const std::function<void()>& handler) noexcept
{
    if (!handler)
        return true;
    if (beforeHandler) {
        try {
            beforeHandler();
        } catch (...) {
            // The handler runs all the same, on what the model knows.
        }
    }
    const bool ok = runHandler(handler);
    if (afterHandler) {
        try {
            afterHandler();
        } catch (...) {
            // A watcher's trouble is its own; the handler's outcome stands.
        }
    }
    return ok;
}

bool Dispatcher::runHandler(const std::function<void()>& handler) noexcept
{
    std::string message;
    try {
        handler();
        return true;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unexpected error";
    }
    try {
        boxes_.MsgBox(message);
    } catch (...) {
        // The box itself failed; stderr is all that is left, and the program goes on.
        std::fprintf(stderr, "zelvo: %s\n", message.c_str());
    }
    return false;
}

} // namespace forms
