#pragma once
// Emulated adapters register their serial port in a directory named by the
// environment variable QUILL_EMULATED_ADAPTERS: an entry named after the
// port ("COM7") is a symbolic link to the pseudo-terminal slave, or a file
// whose first line is its path. Discovery lists each entry as an adapter
// serial port; "present" means the node it names exists.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

inline constexpr const char* kEmulatedAdaptersVariable = "QUILL_EMULATED_ADAPTERS";

// The directory from the environment, "" when the variable is unset.
std::string EmulatedAdaptersDirectory();

// True for "COM" followed by 1 to 3 digits.
bool IsComPortName(const std::string& name);

struct EmulatedPortEntry {
    std::string port_name; // "COM7"
    std::string node;      // "/dev/pts/3"
    bool present = false;
};

// The entries of a registry directory, sorted by port number; entries that
// are not port names are ignored.
std::vector<EmulatedPortEntry> ListEmulatedPorts(const std::string& directory);

// Registers node under port_name (replacing an earlier entry of that name)
// and removes it again. Both fail with a message in *error.
bool RegisterEmulatedPort(const std::string& directory, const std::string& port_name,
                          const std::string& node, std::string* error);
bool UnregisterEmulatedPort(const std::string& directory, const std::string& port_name);

// A pseudo-terminal registered under a port name for as long as it lives.
// The emulator talks through master_fd(); the slave stays open here too, so
// that the host closing its end is no hang-up for the emulator.
class EmulatedSerialPort {
public:
    EmulatedSerialPort() = default;
    ~EmulatedSerialPort();
    EmulatedSerialPort(const EmulatedSerialPort&) = delete;
    EmulatedSerialPort& operator=(const EmulatedSerialPort&) = delete;

    bool Create(const std::string& directory, const std::string& port_name, std::string* error);
    void Destroy();

    int master_fd() const { return master_fd_; }
    const std::string& slave_path() const { return slave_path_; }
    const std::string& port_name() const { return port_name_; }

private:
    int master_fd_ = -1;
    int slave_fd_ = -1;
    std::string slave_path_;
    std::string directory_;
    std::string port_name_;
};

} // namespace platform
