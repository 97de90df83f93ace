#include "codec/OutputCheck.h"

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "codec/OutputFile.h"

namespace codec {

namespace {

// What a name stands for: an existing file by device and inode, else the
// full path the file would get.
struct Identity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::string path;

    bool operator==(const Identity& other) const {
        return exists == other.exists &&
               (exists ? device == other.device && inode == other.inode : path == other.path);
    }
};

Identity identify(const std::string& name, int standardFd) {
    Identity id;
    struct stat info {};
    if (name == "-") {
        if (::fstat(standardFd, &info) == 0 && S_ISREG(info.st_mode)) {
            id.exists = true;
            id.device = info.st_dev;
            id.inode = info.st_ino;
        } else {
            id.path.assign(1, '-');  // a stream: compared by name only
        }
        return id;
    }
    if (::stat(name.c_str(), &info) == 0) {
        id.exists = true;
        id.device = info.st_dev;
        id.inode = info.st_ino;
        return id;
    }
    std::string ignored;
    const std::string target = outputTarget(name, ignored);
    std::error_code code;
    const auto full = std::filesystem::weakly_canonical(std::filesystem::absolute(target.empty() ? name : target), code);
    id.path = code ? name : full.string();
    return id;
}

}  // namespace

bool checkOutputs(const std::string& input, const std::vector<NamedOutput>& outputs,
                  const std::string& stdoutUser, std::string& errorText) {
    const Identity in = identify(input, STDIN_FILENO);
    std::vector<Identity> seen;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const NamedOutput& output = outputs[i];
        if (output.name == "-" && !stdoutUser.empty()) {
            errorText = output.option + " - and " + stdoutUser + " both write to standard output";
            return false;
        }
        const Identity id = identify(output.name, STDOUT_FILENO);
        if ((in.exists || in.path != "-") && id == in) {
            errorText = output.option + " " + output.name + " names the input file " + input +
                        "; refusing to overwrite it";
            return false;
        }
        for (std::size_t j = 0; j < seen.size(); ++j)
            if (seen[j] == id || (output.name == "-" && outputs[j].name == "-")) {
                errorText = outputs[j].option + " and " + output.option + " name the same file (" +
                            output.name + ")";
                return false;
            }
        seen.push_back(id);
    }
    return true;
}

}  // namespace codec
