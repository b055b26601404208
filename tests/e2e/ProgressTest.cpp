// The progress line of long runs: written only when standard error is a
// terminal, erased before the program's own output, and never seen by a
// script that captures standard error.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

namespace {

// The unit disc with the error bound 0: only the time-out ends the run.
const char kLongRun[] = "x^2 + y^2 <= 1; [x, y]; [[-1.5, 1.5], [-1.5, 1.5]];";

struct Captured {
    std::string out, err;
    int status = -1;
};

// Reads both descriptors until both are closed (EOF, or EIO on a terminal
// whose other side has gone).
void Drain(int outFd, int errFd, Captured& c) {
    char buffer[4096];
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        pollfd p[2] = {{outOpen ? outFd : -1, POLLIN, 0}, {errOpen ? errFd : -1, POLLIN, 0}};
        if (poll(p, 2, 30000) <= 0) {
            return;
        }
        for (int i = 0; i < 2; ++i) {
            if (p[i].revents == 0) {
                continue;
            }
            ssize_t n = read(p[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                (i == 0 ? outOpen : errOpen) = false;
            } else {
                (i == 0 ? c.out : c.err).append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
}

// Runs build/brix with stdin from kLongRun; standard error goes to a pipe,
// or to a terminal when onTerminal.
Captured RunBrix(const char* arguments, bool onTerminal) {
    Captured c;
    int in[2], out[2], err[2];
    int master = -1;
    if (pipe(in) != 0 || pipe(out) != 0) {
        return c;
    }
    if (onTerminal) {
        if (openpty(&master, &err[1], nullptr, nullptr, nullptr) != 0) {
            return c;
        }
        err[0] = master;
    } else if (pipe(err) != 0) {
        return c;
    }
    pid_t child = fork();
    if (child == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
            close(fd);
        }
        std::string command = std::string("exec ") + BRIX_EXECUTABLE + " " + arguments;
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    EXPECT_EQ(write(in[1], kLongRun, sizeof kLongRun - 1),
              static_cast<ssize_t>(sizeof kLongRun - 1));
    close(in[1]);
    Drain(out[0], err[0], c);
    close(out[0]);
    close(err[0]);
    int status = 0;
    waitpid(child, &status, 0);
    c.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return c;
}

TEST(Progress, NothingOnStandardErrorThatIsNotATerminal) {
    Captured c = RunBrix("-is -opf -e 0 -to 2", false);
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(c.err, "");
    EXPECT_NE(c.out.find("  time-out after 2 seconds\n"), std::string::npos) << c.out;
}

TEST(Progress, ATerminalSeesOneLineUpdatedAndErased) {
    Captured c = RunBrix("-is -opf -e 0 -to 2", true);
    EXPECT_EQ(c.status, 0);
    // Rewritten in place a few times a second, and erased at the end.
    std::size_t first = c.err.find("\rbrix: ");
    ASSERT_NE(first, std::string::npos) << c.err;
    EXPECT_NE(c.err.find("\rbrix: ", first + 1), std::string::npos) << c.err;
    EXPECT_NE(c.err.find(" open boxes, open volume "), std::string::npos) << c.err;
    EXPECT_EQ(c.err.find('\n'), std::string::npos) << "the line never scrolls";
    ASSERT_GE(c.err.size(), 4u);
    EXPECT_EQ(c.err.substr(c.err.size() - 4), "\r\033[K");
    // Standard output is a pipe: it holds exactly the designed output.
    EXPECT_EQ(c.out.find("brix: "), std::string::npos);
    EXPECT_NE(c.out.find("  time-out after 2 seconds\n"), std::string::npos) << c.out;
}

}  // namespace
