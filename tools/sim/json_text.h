// A text as a JSON string, for the simulator's reports and the browser host's messages. UTF-8
// passes through unchanged; quotes, backslashes and control characters are escaped.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

inline void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

inline std::string JsonString(std::string_view text) {
    std::string quoted;
    AppendJsonString(quoted, text);
    return quoted;
}
