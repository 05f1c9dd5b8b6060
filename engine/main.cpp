// tarnpelo: analyses one spectral UV scan per run.
#include <string>
#include <vector>

#include "engine/main_flow.h"
#include "platform/text_file.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // Every file this program writes goes through TextOut, so re-reads of an
    // unchanged settings file may come from memory.
    tarn::SetReadCache(true);
    return tarn::RunTarnpelo(args);
}
