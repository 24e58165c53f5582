#pragma once
// The quill-emu-fet program run by a test, with pipes on its input and
// output. QUILL_EMU_FET names the program's path.

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace framing_test {

class EmuProgram {
public:
    explicit EmuProgram(const std::vector<std::string>& args) {
        int in[2];
        int out[2];
        if (pipe(in) != 0 || pipe(out) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            close(in[1]);
            close(out[0]);
            std::vector<char*> argv;
            static std::string program = QUILL_EMU_FET;
            argv.push_back(program.data());
            for (const std::string& a : args) {
                argv.push_back(const_cast<char*>(a.c_str()));
            }
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }
    ~EmuProgram() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (input_ >= 0) {
            close(input_);
        }
        if (output_ >= 0) {
            close(output_);
        }
    }

    // The first line it prints, "" when none comes within five seconds.
    std::string FirstLine() {
        std::string line;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            struct pollfd p = {output_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) {
                continue;
            }
            char c;
            if (read(output_, &c, 1) != 1) {
                break;
            }
            if (c == '\n') {
                return line;
            }
            line += c;
        }
        return "";
    }

    void Say(const std::string& text) {
        ASSERT_EQ(write(input_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void Signal(int signal) { kill(pid_, signal); }

    // Exit status, or -1 when it does not end within five seconds.
    int Wait() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    bool exited_ = false;
};

} // namespace framing_test
