#include "host/cli/io/JsonWriter.h"

#include <cmath>
#include <cstdio>

void JsonWriter::beforeValue() {
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (!hasElement.empty()) {
        if (hasElement.back()) output += ",";
        hasElement.back() = true;
        newline();
    }
}

void JsonWriter::newline() {
    output += "\n";
    output.append(hasElement.size() * 2, ' ');
}

void JsonWriter::beginObject() {
    beforeValue();
    output += "{";
    hasElement.push_back(false);
}

void JsonWriter::endObject() {
    const bool any = hasElement.back();
    hasElement.pop_back();
    if (any) newline();
    output += "}";
    if (hasElement.empty()) output += "\n";
}

void JsonWriter::beginArray() {
    beforeValue();
    output += "[";
    hasElement.push_back(false);
}

void JsonWriter::endArray() {
    const bool any = hasElement.back();
    hasElement.pop_back();
    if (any) newline();
    output += "]";
}

void JsonWriter::key(const std::string& name) {
    beforeValue();
    output += quoted(name) + ": ";
    afterKey = true;
}

void JsonWriter::value(const std::string& text) {
    beforeValue();
    output += quoted(text);
}

void JsonWriter::value(double number) {
    beforeValue();
    if (!std::isfinite(number)) {
        output += "null";
        return;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", number);
    output += text;
}

void JsonWriter::value(long long number) {
    beforeValue();
    output += std::to_string(number);
}

void JsonWriter::value(bool flag) {
    beforeValue();
    output += flag ? "true" : "false";
}

void JsonWriter::null() {
    beforeValue();
    output += "null";
}

std::string JsonWriter::quoted(const std::string& text) {
    std::string result = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"': result += "\\\""; break;
            case '\\': result += "\\\\"; break;
            case '\n': result += "\\n"; break;
            case '\r': result += "\\r"; break;
            case '\t': result += "\\t"; break;
            default:
                // Bytes above ASCII are read as Latin-1: a plug-in's names need not be UTF-8,
                // and JSON text must be.
                if (c < 0x20 || c >= 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    result += escaped;
                } else {
                    result += static_cast<char>(c);
                }
        }
    }
    return result + "\"";
}
