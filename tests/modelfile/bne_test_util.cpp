#include "bne_test_util.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/messages.h"

namespace orix::testing {

namespace {

std::vector<MessageCapture::Message> g_messages;
std::vector<int> g_exits;
MessageBoxHook g_previousBox = nullptr;
ExitHook g_previousExit = nullptr;

void CaptureBox(const std::string& text, const std::string& caption) {
    g_messages.push_back({text, caption});
}
void CaptureExit(int code) {
    g_exits.push_back(code);
}

}  // namespace

ScratchDir::ScratchDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/orix-bne-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data())) dir_ = buffer.data();
}

ScratchDir::~ScratchDir() {
    if (dir_.empty()) return;
    if (DIR* d = opendir(dir_.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") std::remove(Path(name).c_str());
        }
        closedir(d);
    }
    rmdir(dir_.c_str());
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t chunk[4096];
        size_t n = 0;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(f);
    }
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool WriteSolidBmp(const std::string& path, int width, int height, uint32_t rgb) {
    int rowBytes = (width * 3 + 3) & ~3;
    uint32_t imageBytes = uint32_t(rowBytes * height);
    std::string b;
    auto u16 = [&b](uint32_t v) { b.push_back(char(v & 0xFF)), b.push_back(char(v >> 8)); };
    auto u32 = [&u16](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    b += "BM";
    u32(54 + imageBytes);
    u32(0);
    u32(54);
    u32(40);
    u32(uint32_t(width));
    u32(uint32_t(height));
    u16(1);
    u16(24);
    u32(0);
    u32(imageBytes);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            b.push_back(char(rgb & 0xFF));
            b.push_back(char((rgb >> 8) & 0xFF));
            b.push_back(char((rgb >> 16) & 0xFF));
        }
        b.append(size_t(rowBytes - width * 3), '\0');
    }
    return WriteFileBytes(path, b);
}

MessageCapture::MessageCapture() {
    g_messages.clear();
    g_exits.clear();
    g_previousBox = SetMessageBoxHook(CaptureBox);
    g_previousExit = SetExitHook(CaptureExit);
}

MessageCapture::~MessageCapture() {
    SetMessageBoxHook(g_previousBox);
    SetExitHook(g_previousExit);
}

const std::vector<MessageCapture::Message>& MessageCapture::Messages() const {
    return g_messages;
}
const std::vector<int>& MessageCapture::Exits() const {
    return g_exits;
}
void MessageCapture::Clear() {
    g_messages.clear();
    g_exits.clear();
}

}  // namespace orix::testing
