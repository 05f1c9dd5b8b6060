#include "platform/console.h"

#include <iostream>

#include "platform/text_format.h"

namespace tarn {

namespace {
std::ostream* g_out = nullptr;
std::istream* g_in = nullptr;
}  // namespace

std::ostream& Console() {
    return g_out != nullptr ? *g_out : std::cout;
}
std::istream& ConsoleInput() {
    return g_in != nullptr ? *g_in : std::cin;
}
void SetConsole(std::ostream* out) {
    g_out = out;
}
void SetConsoleInput(std::istream* in) {
    g_in = in;
}
void ConsoleLine(const std::string& text) {
    Console() << text << '\n';
}

}  // namespace tarn
