// What an engine call ended with, compared and printed the same way on every system.
#pragma once

#include "title_engine.h"

#include <functional>
#include <ostream>
#include <string>

namespace titora::test {

// What an engine call ended with: its result, or the message of its error.
struct Outcome {
    bool failed = false;
    std::string text;
};

inline Outcome Run(const std::function<std::string()>& call) {
    try {
        return {false, call()};
    } catch (const TitleEngineError& e) {
        return {true, e.what()};
    }
}

inline Outcome Failure(const std::string& message) {
    return {true, message};
}

inline Outcome Result(const std::string& text) {
    return {false, text};
}

inline bool operator==(const Outcome& a, const Outcome& b) {
    return a.failed == b.failed && a.text == b.text;
}

inline std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << (o.failed ? "error \"" : "result \"") << o.text << '"';
}

} // namespace titora::test
