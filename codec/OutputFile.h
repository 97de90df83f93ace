#pragma once
// An output that never destroys anything on failure.
// - A regular file (or a name not yet taken) is written to a hidden
//   temporary file beside it, which commit() renames into place; never
//   committed, it is removed, so a failed run leaves the old file as it
//   was. A new file gets the mode the umask gives, a replaced one keeps its
//   own. A symbolic link is followed: its final target is replaced, the
//   link stays.
// - "-" is standard output; an existing device, FIFO or socket is written
//   through in place, never replaced.
#include <cstddef>
#include <string>

namespace codec {

class OutputFile {
public:
    explicit OutputFile(std::string name);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens the temporary file or the stream; false with errorText set.
    bool open();
    bool write(const void* data, std::size_t bytes);
    // Completes the output: renames the temporary file into place, or
    // flushes the stream. False with errorText set.
    bool commit();
    const std::string& errorText() const { return error_; }

private:
    bool failed(const std::string& reason);

    std::string name_;       // as given, for messages
    std::string target_;     // the file written, links followed
    std::string temporary_;  // empty for streams
    int fd_ = -1;
    bool ownsFd_ = false;
    bool committed_ = false;
    std::string error_;
};

// The file an output name stands for: symbolic links followed to their
// final target (which need not exist yet). Empty with errorText set on a
// loop of links.
std::string outputTarget(const std::string& name, std::string& errorText);

}  // namespace codec
