// The silent abort: ends the current user command without any message. The window
// layer's event handling swallows it.
#pragma once

#include <exception>

namespace qs {

class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

} // namespace qs
