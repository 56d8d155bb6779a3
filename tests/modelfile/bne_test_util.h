// Helpers shared by the model-file tests: a scratch folder, whole-file reads and a capture of
// the message sink.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orix::testing {

// A fresh folder under the system's temporary directory, removed with its files on destruction.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

std::vector<uint8_t> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Writes a 24-bit BMP of width x height pixels, all of colour 0x00RRGGBB.
bool WriteSolidBmp(const std::string& path, int width, int height, uint32_t rgb);

// Captures message boxes (text and caption) and program exits while alive.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    struct Message {
        std::string text;
        std::string caption;
    };
    const std::vector<Message>& Messages() const;
    const std::vector<int>& Exits() const;
    void Clear();
};

}  // namespace orix::testing
