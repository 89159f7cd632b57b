// What the XML declaration of an 8-bit document says, read before any reader sees the bytes: the
// backend picks its decoder by it, and the studio writes a file back in the encoding it was in.
#pragma once

#include <string>
#include <string_view>

namespace XPL::PLATFORM {

// The encoding the declaration names, lower-cased ("windows-1252"); "" when the document has no
// declaration, or one without a well-formed encoding.
inline std::string DeclaredXmlEncoding(std::string_view bytes) {
    if (bytes.substr(0, 5) != "<?xml") {
        return {};
    }
    const std::string_view declaration = bytes.substr(0, bytes.find("?>"));
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) {
        return {};
    }
    at += 8;
    while (at < declaration.size() && blank(declaration[at])) {
        ++at;
    }
    if (at >= declaration.size() || declaration[at] != '=') {
        return {};
    }
    ++at;
    while (at < declaration.size() && blank(declaration[at])) {
        ++at;
    }
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) {
        return {};
    }
    const char quote = declaration[at++];
    const size_t close = declaration.find(quote, at);
    if (close == std::string_view::npos) {
        return {};
    }
    std::string name(declaration.substr(at, close - at));
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return name;
}

}  // namespace XPL::PLATFORM
