// The container reader, the mirror of the player's loader.
#include "reader.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "content/crc32.h"
#include "content/jpeg.h"
#include "dib.h"
#include "errors.h"
#include "fileio.h"
#include "names.h"

namespace mlshow {

namespace {

uint32_t HeaderSize(uint32_t type) {
    switch (type) {
        case TAG_IMAG: return SCRIMAGE_SIZE;
        case TAG_TEXT: return SCRTEXT_SIZE;
        case TAG_APPL: return SCRAPPLET_SIZE;
        case TAG_SOND: return SCRSOUND_SIZE;
        case TAG_ANIM: return SCRANIM_SIZE;
        default: return 0;
    }
}

std::string Hex(size_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%zX", value);
    return text;
}

// Frees a buffer's memory, not only its contents.
void Release(Bytes &bytes) { Bytes().swap(bytes); }

// The loader's walk, one step per method; each returns false where the
// loader would reject the file, after recording why. Reads that fail (an
// I/O error) give zeros and are reported once, at the end.
class Walker {
public:
    Walker(ShowSource &source, ShowFile &show, const BlockVisitor &visit, bool keepData)
        : source_(source), size_(size_t(source.Size())), show_(show), visit_(visit), keepData_(keepData) {}

    bool Run() {
        const bool ok = Trailer() && Head() && Preview() && HeadLength() && Chain() && Program();
        if (!readFailed_) return ok;
        Check("file", false, "the file cannot be read at " + std::to_string(readFailedAt_));
        return Fail(readFailedAt_, "the file cannot be read");
    }

private:
    bool Fail(size_t at, const std::string &why) {
        show_.failure = "at offset " + std::to_string(at) + " (" + Hex(at) + "): " + why;
        return false;
    }
    void Check(const std::string &name, bool ok, const std::string &detail) { show_.checks.push_back({name, ok, detail}); }

    void ReadInto(size_t at, void *out, size_t size) {
        if (size == 0 || source_.Read(at, out, size)) return;
        std::memset(out, 0, size);
        if (!readFailed_) readFailedAt_ = at;
        readFailed_ = true;
    }
    Bytes ReadBytes(size_t at, size_t size) {
        Bytes bytes(size);
        ReadInto(at, bytes.data(), size);
        return bytes;
    }
    uint32_t U32(size_t at) {
        uint8_t b[4];
        ReadInto(at, b, 4);
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }

    bool Trailer() {
        const bool ok = size_ >= SCREND_SIZE && U32(size_ - SCREND_SIZE) == TAG_ENDB;
        if (!ok) {
            Check("trailer", false, size_ < SCREND_SIZE ? "file shorter than a trailer" : "last 52 bytes are not an ENDB trailer");
            return Fail(size_ < SCREND_SIZE ? 0 : size_ - SCREND_SIZE, "no trailer");
        }
        const size_t trailer = size_ - SCREND_SIZE;
        const uint32_t contentLength = U32(trailer + offsetof(SCREND, contentlength)) ^ CONTENTLENGTH_MASK;
        headCrc_ = U32(trailer + offsetof(SCREND, headcrc)) ^ HEADCRC_MASK;
        programCheck_ = U32(trailer + offsetof(SCREND, programcheck)) ^ PROGRAMCHECK_MASK;
        if (contentLength > size_) {
            Check("trailer", false, "content length " + std::to_string(contentLength) + " is more than the file");
            return Fail(trailer, "content length larger than the file");
        }
        show_.contentStart = size_ - contentLength;
        Check("trailer", true, "ENDB at " + std::to_string(trailer) + ", content starts at " + std::to_string(show_.contentStart));
        return true;
    }

    bool Head() {
        const size_t s = show_.contentStart;
        if (size_ - s < SCRHEAD_SIZE || U32(s) != TAG_HEAD) {
            Check("header block", false, "no HEAD block where the content starts");
            return Fail(s, "no HEAD block");
        }
        ReadInto(s, &show_.head, SCRHEAD_SIZE);
        show_.haveHead = true;
        const uint32_t crc = uint32_t(ml::crc32(0, &show_.head, SCRHEAD_SIZE));
        Check("header CRC", crc == headCrc_, "CRC-32 " + Hex(crc) + (crc == headCrc_ ? " matches" : ", trailer says " + Hex(headCrc_)));
        if (crc != headCrc_) return Fail(s, "header CRC does not match");
        return true;
    }

    bool Preview() {
        const SCRHEAD &head = show_.head;
        if (head.preview != 1) return true;
        const size_t at = show_.contentStart + SCRHEAD_SIZE;
        if (!(head.flags & SCRF_VALID)) {
            Check("preview", false, "a preview is announced but the header lacks VALID");
            return Fail(show_.contentStart, "preview without VALID flag");
        }
        if (size_ - at < DIBHEADER_SIZE) {
            Check("preview", false, "file ends inside the preview's bitmap header");
            return Fail(at, "preview header cut short");
        }
        DIBHEADER info;
        ReadInto(at, &info, sizeof info);
        const uint64_t size = PackedDibSize(info.biWidth, info.biHeight, info.biBitCount);
        if (size == 0 || size - DIBHEADER_SIZE > size_ - at - DIBHEADER_SIZE) {
            Check("preview", false, "preview " + std::to_string(info.biWidth) + "x" + std::to_string(info.biHeight) + "x" +
                                        std::to_string(info.biBitCount) + " does not fit the file");
            return Fail(at, "bad preview picture");
        }
        show_.preview = ReadBytes(at, size_t(size));
        Check("preview", true, std::to_string(info.biWidth) + "x" + std::to_string(info.biHeight) + ", " +
                                   std::to_string(info.biBitCount) + " bits");
        return true;
    }

    bool HeadLength() {
        if (show_.head.length > size_ - show_.contentStart) {
            Check("chain", false, "HEAD length " + std::to_string(show_.head.length) + " runs past the end of the file");
            return Fail(show_.contentStart, "HEAD block longer than the file");
        }
        return true;
    }

    // Hands a finished block to the visitor, then keeps it (without its
    // data unless asked to).
    void Keep(ReadBlock &block) {
        if (visit_) visit_(block);
        if (!keepData_) {
            Release(block.data);
            for (ReadObject &object : block.pictures) Release(object.data);
            for (ReadObject &object : block.sounds) Release(object.data);
        }
        show_.blocks.push_back(std::move(block));
    }

    bool Chain() {
        size_t position = show_.contentStart + show_.head.length;
        int sequence = 0;
        for (;;) {
            if (position > size_ || size_ - position < 8) {
                Check("chain", false, "the file ends before a block at " + std::to_string(position));
                return Fail(position, "file ends inside the chain");
            }
            ReadBlock block;
            block.offset = position;
            block.type = U32(position);
            block.length = U32(position + 4);
            // The trailer ends the chain whatever its own length says.
            if (block.type != TAG_ENDB && block.length != 0 && (block.length < 8 || block.length > size_ - position)) {
                Check("chain", false, "block length " + std::to_string(block.length) + " at " + std::to_string(position));
                return Fail(position, "block length " + std::to_string(block.length) + " is impossible");
            }
            if (HeaderSize(block.type)) {
                block.sequence = sequence++;
                show_.items = size_t(sequence);
                if (!DataBlock(block)) {
                    Keep(block);
                    return false;
                }
            } else if (block.length >= 12 && size_ - position >= 12) {
                // A trailer's length is never checked: its flags may lie past the end.
                block.flags = U32(position + 8);
            }
            const bool last = block.type == TAG_ENDB || block.length == 0;
            const uint32_t length = block.length;
            Keep(block);
            if (last) break;
            position += length;
        }
        show_.chainEnd = position;
        show_.chainReachesTrailer = position == size_ - SCREND_SIZE && show_.blocks.back().type == TAG_ENDB;
        Check("chain", true, std::to_string(sequence) + " content blocks, " +
                                 (show_.chainReachesTrailer ? "reaching the trailer" : "ending at " + std::to_string(position)));
        return true;
    }

    bool DataBlock(ReadBlock &block) {
        const uint32_t headerSize = HeaderSize(block.type);
        const size_t at = block.offset;
        if (block.length < headerSize) {
            Check("chain", false, "block at " + std::to_string(at) + " is shorter than its header");
            return Fail(at, "block shorter than its header");
        }
        block.header = ReadBytes(at, headerSize);
        block.flags = ReadU32(block.header, 8);
        if (!(block.flags & SCRF_VALID)) {
            Check("chain", false, TagName(block.type) + " block at " + std::to_string(at) + " lacks VALID");
            return Fail(at, "block without VALID flag");
        }
        // A picture's caption text lies between its header and its data.
        const uint32_t caption = block.type == TAG_IMAG ? block.As<SCRIMAGE>().captionlength : 0;
        if (caption > MAXCAPTIONLENGTH || caption > block.length - headerSize) {
            Check("chain", false, "IMAG block at " + std::to_string(at) + ": caption length " + std::to_string(caption) +
                                      (caption > MAXCAPTIONLENGTH ? " is more than " + std::to_string(MAXCAPTIONLENGTH)
                                                                  : " runs past the block"));
            return Fail(at, "caption longer than its block or than " + std::to_string(MAXCAPTIONLENGTH) + " bytes");
        }
        if (caption) {
            const Bytes text = ReadBytes(at + headerSize, caption);
            block.caption.assign(text.begin(), text.end());
        }
        Bytes stored = ReadBytes(at + headerSize + caption, block.length - headerSize - caption);
        block.storedSize = stored.size();
        if (block.type == TAG_APPL) return AppletData(block, stored);
        if (block.type == TAG_IMAG && (block.flags & SCRF_JPEG)) return JpegData(block, std::move(stored));
        const bool compressed = (block.flags & SCRF_COMPRESSED) && (block.type == TAG_IMAG || block.type == TAG_ANIM);
        if (!compressed) {
            block.data = std::move(stored);
            return true;
        }
        if (block.type == TAG_IMAG) return PictureData(block, stored.data(), stored.size());
        if (!InflateStream(stored.data(), stored.size(), &block.data, &block.cutShort)) {
            Check("chain", false, TagName(block.type) + " block at " + std::to_string(at) + ": the compressed data does not inflate");
            return Fail(at, "compressed data does not inflate");
        }
        return true;
    }

    // A JPEG picture is held as stored; the loader refuses one its decoder
    // does not take, by the check of its markers.
    bool JpegData(ReadBlock &block, Bytes stored) {
        block.data = std::move(stored);
        ml::JPEGINFO info;
        const ml::JPEGCHECK check = ml::CheckJpeg(block.data.data(), block.data.size(), &info);
        if (check == ml::JPEG_OK) return true;
        Check("chain", false, "IMAG block at " + std::to_string(block.offset) + " holds " + ml::JpegCheckText(check));
        return Fail(block.offset, "JPEG picture the player refuses");
    }

    // A compressed picture inflates into a block of the size its header gives:
    // a header the player does not draw, or more bytes than that, is refused.
    bool PictureData(ReadBlock &block, const uint8_t *data, size_t size) {
        DIBHEADER header{};
        const bool inflates = InflateStream(data, size, &block.data, &block.cutShort);
        if (inflates && block.data.size() >= sizeof header) std::memcpy(&header, block.data.data(), sizeof header);
        const uint64_t bytes = PackedDibBytes(header);
        if (!inflates || bytes == 0 || block.data.size() > bytes) {
            const char *why = !inflates ? "the compressed data does not inflate"
                              : bytes == 0 ? "the compressed data is no bitmap the player draws"
                                           : "the compressed data inflates past its bitmap's size";
            Check("chain", false, "IMAG block at " + std::to_string(block.offset) + ": " + why);
            return Fail(block.offset, why);
        }
        block.cutShort = block.cutShort || block.data.size() < bytes;
        return true;
    }

    bool AppletData(ReadBlock &block, const Bytes &stored) {
        const SCRAPPLET header = block.As<SCRAPPLET>();
        const uint64_t objects = uint64_t(header.picturecount) + header.soundcount;
        if (objects > stored.size() / APPLETOBJECT_SIZE) {
            Check("chain", false, "APPL block at " + std::to_string(block.offset) + ": " + std::to_string(objects) + " objects cannot fit");
            return Fail(block.offset, "applet object counts larger than the block");
        }
        const bool compressed = (header.flags & SCRF_COMPRESSED) != 0;
        const uint8_t *data = stored.data();
        size_t remaining = stored.size();
        for (uint32_t i = 0; i < header.picturecount; ++i)
            if (!Object(block, data, remaining, true, compressed)) return false;
        for (uint32_t i = 0; i < header.soundcount; ++i)
            if (!Object(block, data, remaining, false, false)) return false;
        block.data.assign(data, data + remaining);
        return true;
    }

    // One object record; `data` and `remaining` move past it.
    bool Object(ReadBlock &block, const uint8_t *&data, size_t &remaining, bool picture, bool compressed) {
        const size_t at = block.offset + SCRAPPLET_SIZE + (block.storedSize - remaining);
        ReadObject object;
        if (remaining < APPLETOBJECT_SIZE) return Fail(at, "applet object header cut short");
        std::memcpy(&object.record, data, APPLETOBJECT_SIZE);
        data += APPLETOBJECT_SIZE;
        remaining -= APPLETOBJECT_SIZE;
        const uint32_t kind = object.record.kind;
        const bool kindOk = picture ? kind == TAG_PICT : kind == TAG_WAVE || kind == TAG_MIDI;
        if (!kindOk || object.record.size > remaining) {
            Check("chain", false, "APPL block at " + std::to_string(block.offset) + ": object of kind \"" + TagName(kind) + "\"" +
                                      (kindOk ? " runs past the block" : " where a " + std::string(picture ? "picture" : "sound") + " belongs"));
            return Fail(at, kindOk ? "applet object larger than its block" : "applet object of the wrong kind");
        }
        object.storedSize = object.record.size;
        if (compressed) {
            if (!InflateStream(data, object.record.size, &object.data, &object.cutShort)) {
                Check("chain", false, "APPL block at " + std::to_string(block.offset) + ": picture " +
                                          std::to_string(object.record.number) + " does not inflate");
                return Fail(at, "applet picture does not inflate");
            }
        } else {
            object.data.assign(data, data + object.record.size);
        }
        data += object.record.size;
        remaining -= object.record.size;
        (picture ? block.pictures : block.sounds).push_back(std::move(object));
        return true;
    }

    bool Program() {
        Bytes chunk(size_t(1) << 16);
        unsigned long crc = 0;
        for (size_t at = 0; at < show_.contentStart;) {
            const size_t n = std::min(chunk.size(), show_.contentStart - at);
            ReadInto(at, chunk.data(), n);
            crc = ml::crc32(crc, chunk.data(), unsigned(n));
            at += n;
        }
        const bool ok = uint32_t(crc) == programCheck_;
        Check("program check", ok, "CRC-32 of the " + std::to_string(show_.contentStart) + "-byte program part " +
                                       (ok ? "matches" : "is " + Hex(uint32_t(crc)) + ", trailer says " + Hex(programCheck_)));
        return ok ? true : Fail(0, "program part does not match its check");
    }

    ShowSource &source_;
    const size_t size_;
    ShowFile &show_;
    const BlockVisitor &visit_;
    const bool keepData_;
    uint32_t headCrc_ = 0;
    uint32_t programCheck_ = 0;
    bool readFailed_ = false;
    size_t readFailedAt_ = 0;
};

}  // namespace

bool MemorySource::Read(uint64_t offset, void *out, size_t size) {
    if (offset > bytes_.size() || bytes_.size() - offset < size) return false;
    if (size) std::memcpy(out, bytes_.data() + offset, size);
    return true;
}

FileSource::FileSource(const std::string &path) : in_(PathOf(path), std::ios::binary) {
    if (!in_) throw InputError("cannot read " + path + ": " + std::strerror(errno));
    in_.seekg(0, std::ios::end);
    const std::streamoff size = in_.tellg();
    if (size < 0) throw InputError("cannot read " + path + ": cannot tell its size");
    size_ = uint64_t(size);
}

bool FileSource::Read(uint64_t offset, void *out, size_t size) {
    if (offset > size_ || size_ - offset < size) return false;
    in_.clear();
    in_.seekg(std::streamoff(offset));
    return bool(in_.read(static_cast<char *>(out), std::streamsize(size)));
}

bool InflateStream(const uint8_t *data, size_t size, Bytes *out, bool *cutShort, size_t limit) {
    out->clear();
    *cutShort = false;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    stream.next_in = const_cast<Bytef *>(data);
    stream.avail_in = uInt(size);
    // Inflates straight into `out`, doubling it as it fills.
    size_t produced = 0;
    bool ok = true, ended = false;
    while (ok && stream.total_in != size) {
        if (produced == out->size()) {
            if (produced > limit) {
                ok = false;
                break;
            }
            out->resize(std::min(std::max(produced * 2, size_t(1) << 16), limit + 1));
        }
        stream.next_out = out->data() + produced;
        stream.avail_out = uInt(out->size() - produced);
        const int result = inflate(&stream, Z_PARTIAL_FLUSH);
        produced = out->size() - stream.avail_out;
        if (produced > limit) ok = false;
        if (result == Z_STREAM_END) {
            ended = true;
            break;
        }
        if (result != Z_OK) ok = false;
    }
    inflateEnd(&stream);
    *cutShort = ok && !ended;
    if (!ok || produced == 0) {
        Bytes().swap(*out);
        return false;
    }
    out->resize(produced);
    return true;
}

ShowFile ReadShow(ShowSource &source, const BlockVisitor &visit, bool keepData) {
    ShowFile show;
    if (source.Size() > MAXSHOWFILE) {
        show.size = source.Size();
        show.failure = "the file is larger than 4 GB (" + std::to_string(show.size) +
                       " bytes): a show file holds at most " + std::to_string(MAXSHOWFILE) + " bytes";
        show.checks.push_back({"trailer", false, show.failure});
        return show;
    }
    show.size = size_t(source.Size());
    Walker walker(source, show, visit, keepData);
    show.loads = walker.Run();
    return show;
}

ShowFile ReadShowFile(const Bytes &file) {
    MemorySource source(file);
    return ReadShow(source, nullptr, true);
}

ShowFile ScanShowFile(const std::string &path, const BlockVisitor &visit) {
    FileSource source(path);
    return ReadShow(source, visit, false);
}

Bytes ProgramPart(const Bytes &player) {
    if (player.size() < SCREND_SIZE || ReadU32(player, player.size() - SCREND_SIZE) != TAG_ENDB) return player;
    const uint32_t contentLength = ReadU32(player, player.size() - SCREND_SIZE + offsetof(SCREND, contentlength)) ^ CONTENTLENGTH_MASK;
    if (contentLength > player.size() || contentLength < SCRHEAD_SIZE + SCREND_SIZE) return player;
    const size_t start = player.size() - contentLength;
    if (ReadU32(player, start) != TAG_HEAD) return player;
    return Bytes(player.begin(), player.begin() + long(start));
}

bool IsShowFile(const std::string &path) {
    try {
        FileSource source(path);
        uint8_t tail[SCREND_SIZE];
        if (source.Size() < SCREND_SIZE || !source.Read(source.Size() - SCREND_SIZE, tail, sizeof tail)) return false;
        const Bytes end(tail, tail + sizeof tail);
        if (ReadU32(end, 0) != TAG_ENDB) return false;
        const uint32_t contentLength = ReadU32(end, offsetof(SCREND, contentlength)) ^ CONTENTLENGTH_MASK;
        uint8_t head[4];
        return contentLength <= source.Size() && contentLength >= SCRHEAD_SIZE + SCREND_SIZE &&
               source.Read(source.Size() - contentLength, head, sizeof head) && ReadU32(Bytes(head, head + 4), 0) == TAG_HEAD;
    } catch (const InputError &) {
        return false;
    }
}

}  // namespace mlshow
