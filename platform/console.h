// The console of the engine: standard output for progress and error text,
// standard input for the install dialogue.  A program that runs the engine
// in its own process (a tool, a benchmark) may redirect both.
#pragma once

#include <iosfwd>
#include <string>

namespace tarn {

std::ostream& Console();
std::istream& ConsoleInput();

// Redirects the console streams (nullptr restores the standard ones).
void SetConsole(std::ostream* out);
void SetConsoleInput(std::istream* in);

// Writes one line on the console.
void ConsoleLine(const std::string& text = std::string());

}  // namespace tarn
