#pragma once

// The library's one export. Reads an MP3 file's first frame header, Xing frame
// count and ID3v1 tag. Every text output receives exactly 32 bytes (the text,
// then NULs); numbers are 32-bit signed. The low byte of the result is true when
// the file has frames. Safe to call from several threads at once.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

__attribute__((visibility("default"))) int32_t GetMP3Data(const char* LPFILENAME, char* LPTITLE, char* LPARTIST,
    char* LPALBUM, char* LPCOMMENT, char* LPGENRE, int32_t* YEAR, int32_t* TRACKNUMBER, int32_t* SIZE, char* LPVERSION,
    char* LPMODE, int32_t* FREQUENCY, int32_t* BITRATE, int32_t* LENGTH);

#ifdef __cplusplus
}
#endif
