#pragma once
// Serves an emulated adapter on the master side of a pseudo-terminal that
// is registered under a COM name in the emulated-adapters directory, from a
// thread of its own, until stopped.

#include "platform/emulated_adapters.h"
#include "sim/emu_adapter.h"

#include <atomic>
#include <chrono>
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

    // The link-rate model: with baud N (8N1, N/10 bytes a second) each
    // request is handled no earlier than its last byte would have arrived
    // and reply bytes leave at that rate, both ways; 0 (the default) paces
    // nothing. Set before Start.
    void SetBaud(uint32_t baud) { baud_ = baud; }

    bool running() const { return thread_.joinable(); }
    const std::string& port_name() const { return pty_.port_name(); }
    const std::string& slave_path() const { return pty_.slave_path(); }

private:
    void Serve();
    // False once a stop was asked for or the master failed.
    bool WaitStop(int ms);
    bool WriteAll(const uint8_t* bytes, size_t count);
    bool SendAll(std::vector<EmuOutput> outputs);
    // Link-rate pacing: waits until count received bytes would have arrived;
    // writes bytes no faster than the line takes them. False on a stop.
    bool PaceReceived(size_t count);
    bool PacedWrite(const uint8_t* bytes, size_t count);
    bool WaitUntil(std::chrono::steady_clock::time_point when);

    EmuAdapter& adapter_;
    platform::EmulatedSerialPort pty_;
    std::thread thread_;
    int stop_pipe_[2] = {-1, -1};
    uint32_t baud_ = 0;
    std::chrono::steady_clock::time_point rx_free_{}; // the last received byte is in
    std::chrono::steady_clock::time_point tx_free_{}; // the line is free to send
    // The earliest moment the next answer may start on the line: the last
    // request's arrival, or the end of a delay or stall.
    std::chrono::steady_clock::time_point reply_ready_{};
};

} // namespace sim
