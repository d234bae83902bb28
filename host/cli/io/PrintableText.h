#pragma once

#include <string>

// Text from a plug-in or a file, made safe for a terminal: printable ASCII stays, a backslash
// doubles and every other byte (controls, escape sequences, anything above 0x7E) becomes \xNN.
std::string printableText(const std::string& text);
