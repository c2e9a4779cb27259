// Stands in for the real converter in tests and in the demo. Called as
// AWDVSTUB.EXE /c SOURCE TARGET, it appends its command line to
// converter.log beside itself and then does what the first word of the
// source file asks:
//   (anything else)  write a valid one-page TIFF at once
//   none             write nothing
//   delay MS         wait MS milliseconds, then write the TIFF
//   lock MS          write the TIFF, then hold it open exclusively for MS ms
//   slow MS          write the TIFF in pieces over MS ms, open for writing
//                    (readers allowed) until the end
//   empty            create a 0-byte TIFF and fail
//   die              write half the TIFF, then end abruptly without closing it
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string OwnFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of('\\'));
}

void AppendLine(const std::string& file, const std::string& line) {
    HANDLE log = CreateFileA(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return;
    std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(log, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(log);
}

void Put16(std::vector<unsigned char>& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<unsigned char>& b, unsigned v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A 64x64 white bilevel page, uncompressed, little-endian.
std::vector<unsigned char> OnePageTiff() {
    const unsigned width = 64, height = 64, row = width / 8;
    const unsigned ifd_entries = 11;
    const unsigned ifd_offset = 8;
    const unsigned ifd_size = 2 + ifd_entries * 12 + 4;
    const unsigned resolution_offset = ifd_offset + ifd_size;
    const unsigned pixels_offset = resolution_offset + 8;
    std::vector<unsigned char> b = {'I', 'I', 42, 0};
    Put32(b, ifd_offset);
    Put16(b, ifd_entries);
    auto entry = [&](unsigned tag, unsigned type, unsigned count, unsigned value) {
        Put16(b, tag);
        Put16(b, type);
        Put32(b, count);
        if (type == 3 && count == 1) {
            Put16(b, value);
            Put16(b, 0);
        } else {
            Put32(b, value);
        }
    };
    entry(256, 3, 1, width);             // ImageWidth
    entry(257, 3, 1, height);            // ImageLength
    entry(258, 3, 1, 1);                 // BitsPerSample
    entry(259, 3, 1, 1);                 // Compression: none
    entry(262, 3, 1, 0);                 // Photometric: white is zero
    entry(273, 4, 1, pixels_offset);     // StripOffsets
    entry(278, 3, 1, height);            // RowsPerStrip
    entry(279, 4, 1, row * height);      // StripByteCounts
    entry(282, 5, 1, resolution_offset); // XResolution
    entry(283, 5, 1, resolution_offset); // YResolution
    entry(296, 3, 1, 2);                 // ResolutionUnit: inch
    Put32(b, 0);                         // no next page
    Put32(b, 204);
    Put32(b, 1);
    b.resize(b.size() + row * height, 0);
    return b;
}

bool WriteTiff(const std::string& target, HANDLE* keep_open) {
    HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, keep_open ? 0 : FILE_SHARE_READ,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::vector<unsigned char> tiff = OnePageTiff();
    DWORD written = 0;
    WriteFile(file, tiff.data(), static_cast<DWORD>(tiff.size()), &written, nullptr);
    if (keep_open)
        *keep_open = file;
    else
        CloseHandle(file);
    return written == tiff.size();
}

// Opened as a typical converter does: others may read what is there so far.
HANDLE CreateTarget(const std::string& target) {
    return CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WritePart(HANDLE file, const std::vector<unsigned char>& tiff, size_t from, size_t to) {
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(to - from);
    return WriteFile(file, tiff.data() + from, size, &written, nullptr) && written == size;
}

// The pause after the last piece leaves a whole TIFF that is still open for
// writing, which only the check for writers can tell from a finished one.
int WriteSlowly(const std::string& target, int ms) {
    const int pieces = 8;
    HANDLE file = CreateTarget(target);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const std::vector<unsigned char> tiff = OnePageTiff();
    bool ok = true;
    for (int i = 0; i < pieces && ok; ++i) {
        ok = WritePart(file, tiff, tiff.size() * i / pieces, tiff.size() * (i + 1) / pieces);
        Sleep(static_cast<DWORD>(ms / pieces));
    }
    CloseHandle(file);
    return ok ? 0 : 1;
}

// As on a full disk or a dropped share: the file stays cut and nothing of
// ours closes it or cleans up.
int DieHalfway(const std::string& target) {
    HANDLE file = CreateTarget(target);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const std::vector<unsigned char> tiff = OnePageTiff();
    WritePart(file, tiff, 0, tiff.size() / 2);
    TerminateProcess(GetCurrentProcess(), 3);
    return 3;
}

std::string ReadWords(const std::string& source) {
    HANDLE file = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    char buffer[256] = {};
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
}

} // namespace

int main(int argc, char** argv) {
    std::string line = GetCommandLineA();
    for (int i = 1; i < argc; ++i)
        line += std::string(" |") + argv[i] + "|";
    AppendLine(OwnFolder() + "\\converter.log", line);

    if (argc != 4 || std::strcmp(argv[1], "/c") != 0)
        return 2;
    const std::string source = argv[2];
    const std::string target = argv[3];
    const std::string words = ReadWords(source);
    char verb[32] = {};
    int ms = 0;
    std::sscanf(words.c_str(), "%31s %d", verb, &ms);

    if (std::strcmp(verb, "none") == 0)
        return 1;
    if (std::strcmp(verb, "delay") == 0) {
        Sleep(static_cast<DWORD>(ms));
        return WriteTiff(target, nullptr) ? 0 : 1;
    }
    if (std::strcmp(verb, "lock") == 0) {
        HANDLE held = INVALID_HANDLE_VALUE;
        if (!WriteTiff(target, &held))
            return 1;
        Sleep(static_cast<DWORD>(ms));
        CloseHandle(held);
        return 0;
    }
    if (std::strcmp(verb, "slow") == 0)
        return WriteSlowly(target, ms);
    if (std::strcmp(verb, "empty") == 0) {
        HANDLE file = CreateTarget(target);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        return 1;
    }
    if (std::strcmp(verb, "die") == 0)
        return DieHalfway(target);
    return WriteTiff(target, nullptr) ? 0 : 1;
}
