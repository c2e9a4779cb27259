// Stands in for the real converter in tests and in the demo. Called as
// AWDVSTUB.EXE /c SOURCE TARGET, it appends its arguments, each between
// bars, to converter.log in the folder it runs in (Orvalis runs it in the
// application folder), and then does what the first word of the source file
// asks:
//   (anything else)  write a valid one-page TIFF at once
//   late MS          wait MS ms before it creates the TIFF
//   slow MS          write the TIFF in pieces over MS ms, open for writing
//                    (readers allowed) until the end
//   empty            create a 0-byte TIFF and fail
//   die              write half the TIFF, then end abruptly without closing it
//   hang             write half the TIFF, then never end
#include <windows.h>

#include <fstream>
#include <string>

// A 64x64 white bilevel page, uncompressed, little-endian.
static std::string OnePageTiff() {
    std::string b("II*\0\x08\0\0\0\x0b\0", 10); // the directory at 8 has 11 entries
    auto put = [&b](unsigned value) {
        b.append({char(value), char(value >> 8), char(value >> 16), char(value >> 24)});
    };
    // Tag, type, value: size, one bit per sample, no compression, white is
    // zero, one strip at 154 of 64 rows in 512 bytes, 204 dpi stored at 146.
    const unsigned entries[][3] = {{256, 3, 64},  {257, 3, 64},  {258, 3, 1},  {259, 3, 1},
                                   {262, 3, 0},   {273, 4, 154}, {278, 3, 64}, {279, 4, 512},
                                   {282, 5, 146}, {283, 5, 146}, {296, 3, 2}};
    for (const auto& e : entries) {
        put(e[0] | e[1] << 16); // two bytes each
        put(1);
        put(e[2]);
    }
    for (unsigned word : {0u, 204u, 1u}) // no next page, then 204/1 dpi
        put(word);
    return b + std::string(512, '\0');
}

int main(int argc, char** argv) {
    std::ofstream log("converter.log", std::ios::app);
    for (int i = 1; i < argc; ++i)
        log << " |" << argv[i] << "|";
    log << std::endl; // flushed before any waiting, for those who watch the calls
    std::string how;
    int ms = 0;
    std::ifstream(argv[2]) >> how >> ms;

    const std::string tiff = OnePageTiff();
    Sleep(how == "late" ? ms : 0);
    // A converter lets others read what it has written so far.
    HANDLE file = CreateFileA(argv[3], GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    // "slow" pauses after the last piece too: a whole TIFF still open for
    // writing, which only the check for writers tells from a finished one.
    const size_t pieces = how == "slow" ? 8 : 1;
    const size_t size = how == "die" || how == "hang" ? tiff.size() / 2 : tiff.size();
    bool ok = file != INVALID_HANDLE_VALUE && how != "empty";
    for (size_t i = 0; i < pieces && ok; ++i) {
        const size_t from = size * i / pieces, to = size * (i + 1) / pieces;
        DWORD written = 0;
        ok = WriteFile(file, &tiff[from], static_cast<DWORD>(to - from), &written, nullptr);
        Sleep(how == "slow" ? ms / pieces : 0);
    }
    // As on a full disk or a dropped share: what was written stays cut, and
    // nothing of ours closes it or cleans up.
    if (how == "die")
        TerminateProcess(GetCurrentProcess(), 3);
    Sleep(how == "hang" ? INFINITE : 0);
    CloseHandle(file);
    return ok ? 0 : 1;
}
