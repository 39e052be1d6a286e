// zlib streams inflated into global memory blocks: fixed blocks, as the
// block store keeps its data.
//
// Inflated output goes straight into the result block, which grows
// geometrically and is trimmed to the exact size at the end: growing by a
// fixed step would copy the whole block again at every step.
#include "content/compress.h"

#include <zlib.h>

#include <cstring>

#include "content/format.h"

namespace {

constexpr unsigned kChunk = 8192;
constexpr SIZE_T kFirstCapacity = 64 * 1024;

// The result block while it is being filled.
class OutputBlock {
public:
    ~OutputBlock() {
        if (bytes_) GlobalUnlock(handle_);
        if (handle_) GlobalFree(handle_);
    }
    // Makes room for at least one more byte; false when memory runs out.
    bool Reserve(SIZE_T wanted) {
        if (size_ < capacity_) return true;
        SIZE_T capacity = capacity_ ? capacity_ * 2 : (wanted > kFirstCapacity ? wanted : kFirstCapacity);
        if (capacity <= capacity_) return false;
        return Resize(capacity);
    }
    Bytef *End() { return (Bytef *)bytes_ + size_; }
    uInt Room() const { return uInt(capacity_ - size_ > 0x40000000 ? 0x40000000 : capacity_ - size_); }
    void Produced(SIZE_T n) { size_ += n; }
    SIZE_T Size() const { return size_; }
    // Trims the block to the bytes produced and hands it over; 0 when empty.
    HGLOBAL Release() {
        if (size_ == 0 || !Resize(size_)) return 0;
        GlobalUnlock(handle_);
        bytes_ = nullptr;
        HGLOBAL result = handle_;
        handle_ = 0;
        return result;
    }

private:
    bool Resize(SIZE_T capacity) {
        if (bytes_) GlobalUnlock(handle_);
        bytes_ = nullptr;
        // Fixed memory, as every block's data (content/blockstore.h); with
        // GMEM_MOVEABLE a fixed block may move to a new address as it grows.
        HGLOBAL grown = handle_ ? GlobalReAlloc(handle_, capacity, GMEM_MOVEABLE)
                                : GlobalAlloc(GMEM_FIXED, capacity);
        if (!grown) return false;
        handle_ = grown;
        bytes_ = GlobalLock(handle_);
        if (!bytes_) return false;
        capacity_ = capacity;
        return true;
    }

    HGLOBAL handle_ = 0;
    void *bytes_ = nullptr;
    SIZE_T size_ = 0;
    SIZE_T capacity_ = 0;
};

// Where the stored bytes come from: memory, or a file read in 8 KB chunks.
struct Input {
    const Bytef *memory = nullptr;
    HFILE file = HFILE_ERROR;
    unsigned long remaining = 0;  // bytes not yet handed to zlib
    Bytef buffer[kChunk];

    // Refills the stream's input when it has run dry; false on a failed read.
    bool Refill(z_stream &stream) {
        if (stream.avail_in != 0 || remaining == 0) return true;
        unsigned n = remaining < kChunk ? unsigned(remaining) : kChunk;
        if (memory) {
            n = remaining < 0x40000000ul ? unsigned(remaining) : 0x40000000u;  // all of it at once
            stream.next_in = const_cast<Bytef *>(memory);
            memory += n;
        } else {
            UINT got = _lread(file, buffer, n);
            if (got == 0 || got == UINT(HFILE_ERROR)) return false;
            n = got;
            stream.next_in = buffer;
        }
        stream.avail_in = n;
        remaining -= n;
        return true;
    }
};

// Inflates `stored` bytes from `input`; a trimmed block or 0.
HGLOBAL Inflate(Input &input, unsigned long stored, unsigned long *count) {
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    if (inflateInit(&stream) != Z_OK) return 0;
    OutputBlock output;
    input.remaining = stored;
    bool ok = true;
    // A stream cut short ends the loop without error once its bytes are used.
    while (ok && stream.total_in != stored) {
        if (!input.Refill(stream) || !output.Reserve(SIZE_T(stored) * 4)) {
            ok = false;
            break;
        }
        stream.next_out = output.End();
        stream.avail_out = output.Room();
        uInt room = stream.avail_out;
        int result = inflate(&stream, Z_PARTIAL_FLUSH);
        output.Produced(room - stream.avail_out);
        if (result == Z_STREAM_END) break;
        if (result != Z_OK) ok = false;
    }
    if (inflateEnd(&stream) != Z_OK) ok = false;
    HGLOBAL result = ok ? output.Release() : 0;
    if (result) *count = (unsigned long)output.Size();
    return result;
}

// Inflates into `room` bytes at `out` until they are full or the stream
// ends: the bytes produced, or -1 on a zlib or read error.
long InflateInto(z_stream &stream, Input &input, unsigned long stored, Bytef *out, uInt room, bool *ended) {
    stream.next_out = out;
    stream.avail_out = room;
    while (stream.avail_out > 0 && stream.total_in != stored) {
        if (!input.Refill(stream)) return -1;
        const int result = inflate(&stream, Z_PARTIAL_FLUSH);
        if (result == Z_STREAM_END) {
            *ended = true;
            break;
        }
        if (result != Z_OK) return -1;
    }
    if (stream.total_in == stored) *ended = true;
    return long(room - stream.avail_out);
}

// The packed bitmap of a stream whose header has been inflated into `header`.
HGLOBAL InflateDib(z_stream &stream, Input &input, unsigned long stored, const DIBHEADER &header, bool ended,
                   unsigned long *count) {
    const uint64_t size = PackedDibBytes(header);
    if (size == 0 || size > 0x7FFFFFFF) return 0;
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, SIZE_T(size));
    Bytef *bytes = block ? (Bytef *)GlobalLock(block) : nullptr;
    if (!bytes) {
        if (block) GlobalFree(block);
        return 0;
    }
    std::memcpy(bytes, &header, sizeof header);
    long produced = sizeof header;
    if (!ended) {
        const long rest = InflateInto(stream, input, stored, bytes + sizeof header, uInt(size - sizeof header), &ended);
        produced = rest < 0 ? -1 : produced + rest;
    }
    // A full block with the stream still going: it holds more than its header says.
    Bytef surplus;
    if (produced == long(size) && !ended && InflateInto(stream, input, stored, &surplus, 1, &ended) != 0)
        produced = -1;
    GlobalUnlock(block);
    HGLOBAL result = produced < 0 ? 0 : produced == long(size) ? block : GlobalReAlloc(block, SIZE_T(produced), 0);
    if (!result) {
        GlobalFree(block);
        return 0;
    }
    *count = (unsigned long)produced;
    return result;
}

}  // namespace

HGLOBAL UncompressDibFromFile(HFILE file, unsigned long *count) {
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    if (inflateInit(&stream) != Z_OK) return 0;
    Input input;
    input.file = file;
    input.remaining = *count;
    DIBHEADER header = {};
    bool ended = false;
    const long got = InflateInto(stream, input, *count, (Bytef *)&header, sizeof header, &ended);
    HGLOBAL result = got == long(sizeof header) ? InflateDib(stream, input, *count, header, ended, count) : 0;
    inflateEnd(&stream);
    return result;
}

HGLOBAL UncompressData(const void *bytes, unsigned long *count, int) {
    if (!bytes) return 0;
    Input input;
    input.memory = (const Bytef *)bytes;
    return Inflate(input, *count, count);
}

HGLOBAL UncompressDataFromFile(HFILE file, unsigned long *count, int) {
    Input input;
    input.file = file;
    return Inflate(input, *count, count);
}
