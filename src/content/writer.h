// Portable writer of the show container, the mirror of the player's loader:
// it lays out the HEAD block (with or without a preview), the content blocks
// and the trailer with its masked checks. Tests use it to make good and
// deliberately broken shows; the mlshow builder uses it to pack real ones.
// ShowWriter gathers a show in memory; ShowStream writes one front to back
// as its blocks come, for shows larger than memory should hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "content/format.h"

using Bytes = std::vector<uint8_t>;

// A numbered picture or sound of an applet, with its data as stored on disk.
struct ShowObject {
    uint32_t kind = TAG_PICT;
    uint32_t number = 0;
    Bytes data;
};

// Where the pieces of a written file start, so tests can break any field.
struct ShowLayout {
    size_t contentStart = 0;          // S: the first byte of the HEAD block
    std::vector<size_t> blockOffsets;  // every block after HEAD, trailer excluded
    size_t trailerOffset = 0;
};

// Copies text into a fixed NUL-terminated field, cutting it to fit.
template <size_t N>
void SetField(char (&field)[N], std::string_view text) {
    size_t n = text.size() < N - 1 ? text.size() : N - 1;
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), n);
}

// One zlib stream of `data` (the form of every compressed item).
Bytes CompressStream(const Bytes &data, int level = -1);

// Lays out content blocks, each in one place for both writers: every Add
// fills in the header's type and length, sets SCRF_VALID and hands the
// finished block to PutBlock.
class BlockWriter {
public:
    BlockWriter() = default;
    BlockWriter(const BlockWriter &) = default;
    BlockWriter &operator=(const BlockWriter &) = default;
    virtual ~BlockWriter() = default;

    // With `compress` the data is stored as one zlib stream and
    // SCRF_COMPRESSED is set, else the flag is cleared. Every picture may
    // carry caption text (the photo's name, UTF-8, at most MAXCAPTIONLENGTH
    // bytes; std::invalid_argument when longer): it is stored between the
    // header and the data and `captionlength` is set to its size. The
    // caption's flags and `takendate` are taken from `header` as given.
    void AddPicture(SCRIMAGE header, const Bytes &dib, bool compress, std::string_view caption = {});
    // A JPEG file stored as it is: SCRF_JPEG set, SCRF_COMPRESSED cleared.
    void AddJpegPicture(SCRIMAGE header, const Bytes &jpeg, std::string_view caption = {});
    void AddText(SCRTEXT header, std::string_view text);
    void AddApplet(SCRAPPLET header, const std::vector<ShowObject> &pictures,
                   const std::vector<ShowObject> &sounds, std::string_view script, bool compress);
    void AddSound(SCRSOUND header, const Bytes &data);
    void AddAnimation(SCRANIM header, const Bytes &data, bool compress);

    // The same with the data already in its stored form (a zlib stream when
    // `compressed`), so callers can compress many items in parallel first.
    void AddStoredPicture(SCRIMAGE header, const Bytes &stored, bool compressed, std::string_view caption = {});
    void AddStoredApplet(SCRAPPLET header, const std::vector<ShowObject> &storedPictures,
                         const std::vector<ShowObject> &sounds, std::string_view script, bool compressed);
    void AddStoredAnimation(SCRANIM header, const Bytes &stored, bool compressed);
    // Stored exactly as given: a block of a type of its own, or a broken one.
    void AddRawBlock(const Bytes &block) { PutBlock(block.data(), block.size(), nullptr, 0); }

protected:
    // One whole block: `headerSize` bytes of header, then its data.
    virtual void PutBlock(const void *header, size_t headerSize, const uint8_t *data, size_t dataSize) = 0;

private:
    template <typename Header>
    void Put(Header &header, uint32_t type, const uint8_t *data, size_t dataSize);
    // A picture block: header, caption text, data.
    void PutPicture(SCRIMAGE &header, std::string_view caption, const uint8_t *data, size_t dataSize);
};

// A show gathered in memory and laid out as a whole by Build.
class ShowWriter : public BlockWriter {
public:
    // The header's type and length are filled in when the file is built;
    // its flags and preview field follow from SetPreview.
    explicit ShowWriter(const SCRHEAD &head) : head_(head) {}

    // A packed bitmap: DIBHEADER, 2^bits colour entries up to 8 bits, rows.
    void SetPreview(Bytes dib) { preview_ = std::move(dib); }

    // The whole file: `program`, the content and the sealed trailer.
    Bytes Build(const Bytes &program, ShowLayout *layout = nullptr) const;

protected:
    void PutBlock(const void *header, size_t headerSize, const uint8_t *data, size_t dataSize) override;

private:
    SCRHEAD head_;
    Bytes preview_;
    std::vector<Bytes> blocks_;
};

// Where a ShowStream's bytes go, in file order.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Write(const uint8_t *data, size_t size) = 0;
};

// Collects the bytes in memory.
class MemorySink : public ByteSink {
public:
    void Write(const uint8_t *data, size_t size) override { bytes.insert(bytes.end(), data, data + size); }
    Bytes bytes;
};

// Writes a show front to back: the program part and the HEAD block when
// made, each block as it is added, the trailer at Finish. The trailer's
// checks are computed on the way, so nothing but the block in hand is held.
// Gives the same bytes as ShowWriter for the same blocks.
class ShowStream : public BlockWriter {
public:
    ShowStream(ByteSink &sink, const Bytes &program, const SCRHEAD &head, const Bytes &preview);

    // Writes the sealed trailer; nothing may be added after it.
    void Finish();
    // Bytes written so far.
    uint64_t Size() const { return written_; }
    const ShowLayout &Layout() const { return layout_; }

protected:
    // Throws std::length_error when the show would pass 4 GB.
    void PutBlock(const void *header, size_t headerSize, const uint8_t *data, size_t dataSize) override;

private:
    void Write(const void *data, size_t size);

    ByteSink &sink_;
    uint64_t written_ = 0;
    uint32_t headCrc_ = 0;
    uint32_t programCrc_ = 0;
    bool finished_ = false;
    ShowLayout layout_;
};

// Rewrites the trailer (the last 52 bytes of `file`) so that all three checks
// match the file as it stands, for a program part of `contentStart` bytes.
void SealContainer(Bytes &file, size_t contentStart);

// Little-endian field access inside a written file.
uint32_t ReadU32(const Bytes &file, size_t offset);
void WriteU32(Bytes &file, size_t offset, uint32_t value);
