// kvsim: serves a simulated GigE Vision device on one address until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>

#include "KvSimOptions.h"
#include "SimUdpFrontEnd.h"

int main(int argc, char** argv) {
    KvSimOptions options;
    std::string error;
    if (!ParseKvSimOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "kvsim: %s\n\n%s", error.c_str(), KvSimUsage());
        return 2;
    }
    if (options.m_bHelp) {
        std::fputs(KvSimUsage(), stdout);
        return 0;
    }

    // Block the stop signals before any thread starts so that only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    SimGigEDevice device(options.m_Device);
    SimUdpFrontEnd frontEnd(device);
    if (!frontEnd.Start(options.m_sAddress, options.m_nPort, error)) {
        std::fprintf(stderr, "kvsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("kvsim: serving on %s:%u\n", options.m_sAddress.c_str(), options.m_nPort);
    std::fflush(stdout);

    int received = 0;
    sigwait(&stopSignals, &received);
    frontEnd.Stop();
    std::printf("kvsim: stopped by signal %d\n", received);
    return 0;
}
