// tarnbat: runs a batch file line by line (batch_run.h).
#include <string>
#include <vector>

#include "tarnbat/batch_run.h"

int main(int argc, char** argv) {
    return tarn::RunTarnbat(std::vector<std::string>(argv + 1, argv + argc));
}
