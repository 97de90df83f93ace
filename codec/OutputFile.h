#pragma once
// An output file that appears under its name only when complete: data goes
// to a temporary file beside it, which commit() renames into place. A file
// never committed is removed, so a failed run leaves nothing behind.
#include <cstdio>
#include <string>

namespace codec {

class OutputFile {
public:
    explicit OutputFile(std::string path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens the temporary file for binary writing; false with errorText set.
    bool open();
    // The temporary path, for libraries that open files themselves.
    const std::string& temporaryPath() const { return temporary_; }
    std::FILE* stream() { return stream_; }
    bool write(const void* data, std::size_t bytes);
    // Closes (if open) and renames into place; false with errorText set.
    bool commit();
    const std::string& errorText() const { return error_; }

private:
    std::string path_;
    std::string temporary_;
    std::FILE* stream_ = nullptr;
    bool committed_ = false;
    std::string error_;
};

}  // namespace codec
