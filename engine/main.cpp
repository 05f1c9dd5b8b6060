// tarnpelo: analyses one spectral UV scan per run.
#include <string>
#include <vector>

#include "engine/main_flow.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return tarn::RunTarnpelo(args);
}
