#pragma once
// A child process for tests: started with posix_spawn, its standard output
// captured through a pipe, and always killed and reaped, even when a test fails
// half-way.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

class SimChildProcess {
public:
    SimChildProcess() = default;
    ~SimChildProcess() { Kill(SIGKILL); }
    SimChildProcess(const SimChildProcess&) = delete;
    SimChildProcess& operator=(const SimChildProcess&) = delete;

    // Standard error goes to /dev/null unless keepStderr.
    bool Start(const std::vector<std::string>& argv, bool keepStderr = false) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) {
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        if (!keepStderr) {
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        }
        std::vector<char*> args;
        for (const std::string& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        const int error = posix_spawnp(&m_nPid, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (error != 0) {
            close(out[0]);
            m_nPid = -1;
            return false;
        }
        m_nOut = out[0];
        return true;
    }

    // Reads standard output until text appears, the pipe closes or the time is up.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (m_sOutput.find(text) == std::string::npos) {
            if (!ReadSome(deadline)) {
                return false;
            }
        }
        return true;
    }

    // Reads until the child closes its output, then reaps it; -1 on time-out (the child is killed).
    int Finish(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (ReadSome(deadline)) {
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            Kill(SIGKILL);
            return -1;
        }
        return Reap();
    }

    // Sends a signal and reaps; the exit status, or 128 + signal when killed by one.
    int Kill(int signal) {
        if (m_nPid <= 0) {
            return m_nStatus;
        }
        ::kill(m_nPid, signal);
        return Reap();
    }

    const std::string& Output() const { return m_sOutput; }

private:
    bool ReadSome(std::chrono::steady_clock::time_point deadline) {
        if (m_nOut < 0) {
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fd{m_nOut, POLLIN, 0};
        if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
            return false;
        }
        char buffer[4096];
        const ssize_t size = read(m_nOut, buffer, sizeof buffer);
        if (size <= 0) {
            close(m_nOut);
            m_nOut = -1;
            return false;
        }
        m_sOutput.append(buffer, static_cast<size_t>(size));
        return true;
    }

    int Reap() {
        int status = 0;
        while (waitpid(m_nPid, &status, 0) < 0 && errno == EINTR) {
        }
        m_nPid = -1;
        if (m_nOut >= 0) {
            close(m_nOut);
            m_nOut = -1;
        }
        m_nStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return m_nStatus;
    }

    pid_t m_nPid = -1;
    int m_nOut = -1;
    int m_nStatus = -1;
    std::string m_sOutput;
};

// Runs a program to its end and returns what it printed; exit status in status.
inline std::string SimRunProgram(const std::vector<std::string>& argv, int& status,
                                 std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    SimChildProcess child;
    if (!child.Start(argv)) {
        status = -1;
        return {};
    }
    status = child.Finish(limit);
    return child.Output();
}

// True when PATH holds the program.
inline bool SimHaveProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string rest = path ? path : "";
    for (size_t start = 0; start <= rest.size();) {
        const size_t end = std::min(rest.find(':', start), rest.size());
        const std::string candidate = rest.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// Peers that only bind to addresses an interface carries need 127.0.0.N on lo.
// Done only inside the private test namespace, never on the machine's own loopback.
inline bool SimInPrivateNamespace() {
    const char* flag = std::getenv("KV_IN_PRIVATE_NETNS");
    return flag && std::string(flag) == "1";
}

inline bool SimAddLoopbackAddress(const std::string& address) {
    if (!SimInPrivateNamespace()) {
        return false;
    }
    int status = 0;
    SimRunProgram({"ip", "addr", "add", address + "/8", "dev", "lo"}, status);
    // "File exists" (status 2) means another test added it already.
    return status == 0 || status == 2;
}
