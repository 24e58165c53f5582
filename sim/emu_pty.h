#pragma once
// Serves an emulated adapter on the master side of a pseudo-terminal that
// is registered under a COM name in the emulated-adapters directory, from a
// thread of its own, until stopped.

#include "platform/emulated_adapters.h"
#include "sim/emu_adapter.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace sim {

class EmuPtyServer {
public:
    explicit EmuPtyServer(EmuAdapter& adapter) : adapter_(adapter) {}
    ~EmuPtyServer();
    EmuPtyServer(const EmuPtyServer&) = delete;
    EmuPtyServer& operator=(const EmuPtyServer&) = delete;

    // Creates and registers the pseudo-terminal (raw, so that every byte
    // passes unchanged) and starts answering. False with a message.
    bool Start(const std::string& directory, const std::string& port_name, std::string* error);
    // Stops answering, unregisters the port and closes the pseudo-terminal.
    void Stop();

    bool running() const { return thread_.joinable(); }
    const std::string& port_name() const { return pty_.port_name(); }
    const std::string& slave_path() const { return pty_.slave_path(); }

private:
    void Serve();
    // False once a stop was asked for or the master failed.
    bool WaitStop(int ms);
    bool WriteAll(const uint8_t* bytes, size_t count);
    bool SendAll(std::vector<EmuOutput> outputs);

    EmuAdapter& adapter_;
    platform::EmulatedSerialPort pty_;
    std::thread thread_;
    int stop_pipe_[2] = {-1, -1};
};

} // namespace sim
