#pragma once

#include <string>
#include <vector>

// Builds indented JSON text. Callers pair every begin with its end; a key precedes each value
// inside an object. Non-finite numbers are written as null.
class JsonWriter {
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(const std::string& name);
    void value(const std::string& text);
    void value(const char* text) { value(std::string(text)); }
    void value(double number);
    void value(long long number);
    void value(int number) { value(static_cast<long long>(number)); }
    void value(bool flag);
    void null();

    const std::string& text() const { return output; }

private:
    void beforeValue();
    void newline();
    static std::string quoted(const std::string& text);

    std::string output;
    // Per open container: whether it already holds an element.
    std::vector<bool> hasElement;
    bool afterKey = false;
};
