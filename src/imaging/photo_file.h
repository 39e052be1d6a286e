// Photo files on this computer made into pictures for a screen: JPEG, PNG,
// BMP and GIF (its first frame), read whole, decoded, turned upright as
// their EXIF orientation says and fitted to the screen.
#pragma once

#include <windows.h>

// The largest photo file read: a larger one is passed over.
constexpr DWORD kLargestPhotoFile = 256u << 20;

// What a photo file gave besides its picture.
struct PHOTOFACTS {
    DWORD takendate;  // yyyymmdd from EXIF, else 0
    int wide;         // the photo's size upright, before fitting
    int deep;
};

// `path` as CreateFileW opens it at any length: a path of MAX_PATH
// characters or more in the \\?\ form (a drive path with "\\?\" before it,
// a network path "\\server\share" as "\\?\UNC\server\share"), others, and
// those in that form already, as they are. A new string from calloc for
// the caller to free; null when memory runs out.
wchar_t *FullLengthPath(const wchar_t *path);

// A new 24-bit packed bitmap of the photo file at `path` (any length, the
// \\?\ form allowed), upright and fitted to wide x deep as FitPicture says
// for `fit` (SCRF_FIT or SCRF_FILL). 0 when the file cannot be read, is
// empty, larger than kLargestPhotoFile or does not decode, when memory runs
// out, or when *stop was set on the way. `facts` may be null.
HGLOBAL DecodePhotoFile(const wchar_t *path, DWORD fit, int wide, int deep, const volatile LONG *stop,
                        PHOTOFACTS *facts);

// The photo's size upright (as DecodePhotoFile's facts give it), read from
// the file's header alone: a look at a photo that may not be shown. False
// when the header does not tell it or the picture would not decode.
bool ReadPhotoSize(const wchar_t *path, int *wide, int *deep);
