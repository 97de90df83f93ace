#include "tests/fuzz/FuzzSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fuzz {

namespace {

std::string folder;

void removeFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace

const std::string& scratchFolder() {
    if (folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/nbtv-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("nbtv fuzz: cannot make a scratch folder");
            std::abort();
        }
        folder = pattern;
        std::atexit(removeFolder);
    }
    return folder;
}

std::string writeInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = scratchFolder() + "/input";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size) ||
        std::fclose(file) != 0) {
        std::perror("nbtv fuzz: cannot write the input file");
        std::abort();
    }
    return path;
}

int runCommand(int (*command)(int, char**), const std::vector<std::string>& arguments) {
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return command(static_cast<int>(copies.size()), argv.data());
}

int runCommandOnStandardInput(int (*command)(int, char**), const std::vector<std::string>& arguments,
                              const std::string& path) {
    const int saved = ::dup(STDIN_FILENO);
    const int file = ::open(path.c_str(), O_RDONLY);
    if (saved < 0 || file < 0 || ::dup2(file, STDIN_FILENO) < 0) {
        std::perror("nbtv fuzz: cannot make standard input");
        std::abort();
    }
    ::close(file);
    const int status = runCommand(command, arguments);
    ::dup2(saved, STDIN_FILENO);
    ::close(saved);
    return status;
}

}  // namespace fuzz
