#pragma once

#include <string>

// Warnings and notes for stderr, held until the command has succeeded, so that a failure prints
// its one line and nothing else.
namespace warnings {

// One line, without the program's name in front.
void add(const std::string& line);
// Prints the lines held, in order, and forgets them.
void print();

}  // namespace warnings
