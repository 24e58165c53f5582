#include "platform/emulated_adapters.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

int PortNumber(const std::string& name) {
    return std::atoi(name.c_str() + 3);
}

std::string EntryNode(const std::string& entry_path) {
    char target[4096];
    ssize_t n = readlink(entry_path.c_str(), target, sizeof target - 1);
    if (n >= 0) {
        target[n] = '\0';
        return target;
    }
    std::ifstream in(entry_path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.pop_back();
    }
    return line;
}

} // namespace

std::string EmulatedAdaptersDirectory() {
    const char* v = std::getenv(kEmulatedAdaptersVariable);
    return v != nullptr ? std::string(v) : std::string();
}

bool IsComPortName(const std::string& name) {
    if (name.size() < 4 || name.size() > 6 || name.compare(0, 3, "COM") != 0) {
        return false;
    }
    return std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<EmulatedPortEntry> ListEmulatedPorts(const std::string& directory) {
    std::vector<EmulatedPortEntry> out;
    if (directory.empty()) {
        return out;
    }
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) {
        return out;
    }
    while (struct dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (!IsComPortName(name)) {
            continue;
        }
        EmulatedPortEntry entry;
        entry.port_name = name;
        entry.node = EntryNode(directory + "/" + name);
        struct stat st {};
        entry.present = !entry.node.empty() && stat(entry.node.c_str(), &st) == 0;
        out.push_back(entry);
    }
    closedir(dir);
    std::sort(out.begin(), out.end(), [](const EmulatedPortEntry& a, const EmulatedPortEntry& b) {
        return PortNumber(a.port_name) < PortNumber(b.port_name);
    });
    return out;
}

bool RegisterEmulatedPort(const std::string& directory, const std::string& port_name,
                          const std::string& node, std::string* error) {
    if (!IsComPortName(port_name)) {
        *error = "not a port name: " + port_name;
        return false;
    }
    if (directory.empty()) {
        *error = "no emulated adapters directory";
        return false;
    }
    if (mkdir(directory.c_str(), 0755) != 0 && errno != EEXIST) {
        *error = directory + ": " + std::strerror(errno);
        return false;
    }
    // Link under a temporary name and rename, so that a reader never sees a
    // half-made entry.
    std::string final_path = directory + "/" + port_name;
    std::string temp_path = directory + "/." + port_name + "." + std::to_string(getpid());
    unlink(temp_path.c_str());
    if (symlink(node.c_str(), temp_path.c_str()) != 0 ||
        rename(temp_path.c_str(), final_path.c_str()) != 0) {
        *error = final_path + ": " + std::strerror(errno);
        unlink(temp_path.c_str());
        return false;
    }
    return true;
}

bool UnregisterEmulatedPort(const std::string& directory, const std::string& port_name) {
    if (!IsComPortName(port_name) || directory.empty()) {
        return false;
    }
    return unlink((directory + "/" + port_name).c_str()) == 0;
}

EmulatedSerialPort::~EmulatedSerialPort() {
    Destroy();
}

bool EmulatedSerialPort::Create(const std::string& directory, const std::string& port_name,
                                std::string* error) {
    Destroy();
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        *error = std::string("pseudo-terminal: ") + std::strerror(errno);
        if (master >= 0) {
            close(master);
        }
        return false;
    }
    char name[256];
    if (ptsname_r(master, name, sizeof name) != 0) {
        *error = std::string("pseudo-terminal name: ") + std::strerror(errno);
        close(master);
        return false;
    }
    int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        *error = std::string(name) + ": " + std::strerror(errno);
        close(master);
        return false;
    }
    if (!RegisterEmulatedPort(directory, port_name, name, error)) {
        close(slave);
        close(master);
        return false;
    }
    master_fd_ = master;
    slave_fd_ = slave;
    slave_path_ = name;
    directory_ = directory;
    port_name_ = port_name;
    return true;
}

void EmulatedSerialPort::Destroy() {
    if (master_fd_ < 0) {
        return;
    }
    UnregisterEmulatedPort(directory_, port_name_);
    close(slave_fd_);
    close(master_fd_);
    master_fd_ = slave_fd_ = -1;
    slave_path_.clear();
    directory_.clear();
    port_name_.clear();
}

} // namespace platform
