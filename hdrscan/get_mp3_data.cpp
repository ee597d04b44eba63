#include "hdrscan/get_mp3_data.h"

#include <cstring>

#include "hdrscan/mp3_header_reader.h"

namespace {

// The longest path the callers may pass, plus its NUL.
constexpr std::size_t kPathBuffer = 256;

} // namespace

extern "C" int32_t GetMP3Data(const char* LPFILENAME, char* LPTITLE, char* LPARTIST, char* LPALBUM, char* LPCOMMENT,
    char* LPGENRE, int32_t* YEAR, int32_t* TRACKNUMBER, int32_t* SIZE, char* LPVERSION, char* LPMODE,
    int32_t* FREQUENCY, int32_t* BITRATE, int32_t* LENGTH)
{
    using namespace qv::hdrscan;
    Mp3HeaderReader reader;
    // A longer path is not cut short: that could open a different file. It is
    // treated as a file that cannot be opened, and nothing past 256 bytes is read.
    char path[kPathBuffer] = {};
    const std::size_t length = LPFILENAME ? ::strnlen(LPFILENAME, kPathBuffer) : kPathBuffer;
    if (length < kPathBuffer && length > 0) {
        std::memcpy(path, LPFILENAME, length);
        FileSource file(path);
        if (file.isOpen()) {
            reader.scan(file);
            if (file.readFailed())
                reader.markNotOpened();
        }
    }
    const Mp3Outputs out{LPTITLE, LPARTIST, LPALBUM, LPCOMMENT, LPGENRE, YEAR, TRACKNUMBER, SIZE, LPVERSION, LPMODE,
        FREQUENCY, BITRATE, LENGTH};
    return writeOutputs(reader, out) ? 1 : 0;
}
