// A program for the batch tests:
//   tarnbat_probe args FILE ARG...  writes each ARG on its own line to FILE
//   tarnbat_probe exit N            ends with status N
//   tarnbat_probe sleep FILE        writes its pid to FILE, then sleeps (60 s at most)
//   tarnbat_probe signal N          ends by signal N
//   tarnbat_probe pdeathsig FILE    writes the signal it gets when its parent ends
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "args" && argc > 2) {
        std::ofstream out(argv[2]);
        for (int i = 3; i < argc; ++i) out << argv[i] << '\n';
        return out ? 0 : 1;
    }
    if (mode == "exit" && argc > 2) return std::atoi(argv[2]);
    if (mode == "sleep" && argc > 2) {
        { std::ofstream(argv[2]) << getpid() << '\n'; }
        sleep(60);
        return 0;
    }
    if (mode == "signal" && argc > 2) raise(std::atoi(argv[2]));
    int sig = 0;
    if (mode == "pdeathsig" && argc > 2 && prctl(PR_GET_PDEATHSIG, &sig) == 0)
        std::ofstream(argv[2]) << sig << '\n';
    return 99;
}
