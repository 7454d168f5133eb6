// Inflating the "._z" source files: one zlib stream per file (zlib header, deflate data,
// Adler-32 trailer). In memory for small files, file to file in chunks for the copy engine.
// Bad streams raise EZLibError with zlib's text for the failure.
#pragma once
#include "Files.h"

#include <windows.h>

#include <zlib.h>

#include <stdexcept>

namespace zk {

class EZLibError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// inflateInit against the linked zlib's own version (ZLIB_VERSION) and stream size.
int InflateInitDefault(z_stream& stream);
// Raises EZLibError for a negative code; returns the others.
int ZLibCheck(int code);

// Inflates a whole buffer into output; estimate 0 starts from the input size rounded up to
// 256. Progress goes by input consumed. On failure output is empty and EZLibError raised.
void DecompressBuffer(const void* input, size_t inputLength, Text& output, size_t estimate,
                      ProgressProc progress);
void DecompressString(const Text& compressed, Text& inflated, ProgressProc progress);

// Inflates the file source into target with memory that does not grow with the file: into a
// temporary file beside the target, which takes the target's name only once the stream ended
// with a good Adler-32. False when the source cannot be read or the target not written; a bad
// or truncated stream raises EZLibError. On failure the target is as it was before.
bool InflateFile(const Text& source, const Text& target, ProgressProc progress);
// The same straight into the file at path (created or emptied), for a caller that holds a
// temporary file of its own and removes it on failure. True only when the file's size is the
// stream's; the file takes the stream file's date. inflatedSize gets the bytes written.
bool InflateFileInto(const Text& source, const Text& path, ProgressProc progress,
                     int64_t* inflatedSize);
// The same into a file the caller has opened for writing (and closes).
bool InflateFileToHandle(const Text& source, HANDLE out, ProgressProc progress,
                         int64_t* inflatedSize);

} // namespace zk
