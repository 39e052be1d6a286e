// The container reader, the mirror of the player's loader.
#include "reader.h"

#include <zlib.h>

#include <cstring>

#include "content/crc32.h"
#include "content/jpeg.h"
#include "dib.h"
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

uint32_t U32(const Bytes &file, size_t at) { return ReadU32(file, at); }

std::string Hex(size_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%zX", value);
    return text;
}

// The loader's walk, one step per method; each returns false where the
// loader would reject the file, after recording why.
class Walker {
public:
    Walker(const Bytes &file, ShowFile &show) : file_(file), show_(show) {}

    bool Run() {
        return Trailer() && Head() && Preview() && HeadLength() && Chain() && Program();
    }

private:
    bool Fail(size_t at, const std::string &why) {
        show_.failure = "at offset " + std::to_string(at) + " (" + Hex(at) + "): " + why;
        return false;
    }
    void Check(const std::string &name, bool ok, const std::string &detail) { show_.checks.push_back({name, ok, detail}); }

    bool Trailer() {
        const size_t size = file_.size();
        const bool ok = size >= SCREND_SIZE && U32(file_, size - SCREND_SIZE) == TAG_ENDB;
        if (!ok) {
            Check("trailer", false, size < SCREND_SIZE ? "file shorter than a trailer" : "last 52 bytes are not an ENDB trailer");
            return Fail(size < SCREND_SIZE ? 0 : size - SCREND_SIZE, "no trailer");
        }
        const size_t trailer = size - SCREND_SIZE;
        const uint32_t contentLength = U32(file_, trailer + offsetof(SCREND, contentlength)) ^ CONTENTLENGTH_MASK;
        headCrc_ = U32(file_, trailer + offsetof(SCREND, headcrc)) ^ HEADCRC_MASK;
        programCheck_ = U32(file_, trailer + offsetof(SCREND, programcheck)) ^ PROGRAMCHECK_MASK;
        if (contentLength > size) {
            Check("trailer", false, "content length " + std::to_string(contentLength) + " is more than the file");
            return Fail(trailer, "content length larger than the file");
        }
        show_.contentStart = size - contentLength;
        Check("trailer", true, "ENDB at " + std::to_string(trailer) + ", content starts at " + std::to_string(show_.contentStart));
        return true;
    }

    bool Head() {
        const size_t s = show_.contentStart;
        if (file_.size() - s < SCRHEAD_SIZE || U32(file_, s) != TAG_HEAD) {
            Check("header block", false, "no HEAD block where the content starts");
            return Fail(s, "no HEAD block");
        }
        std::memcpy(&show_.head, &file_[s], SCRHEAD_SIZE);
        show_.haveHead = true;
        const uint32_t crc = uint32_t(ml::crc32(0, &file_[s], SCRHEAD_SIZE));
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
        if (file_.size() - at < DIBHEADER_SIZE) {
            Check("preview", false, "file ends inside the preview's bitmap header");
            return Fail(at, "preview header cut short");
        }
        DIBHEADER info;
        std::memcpy(&info, &file_[at], sizeof info);
        const uint64_t size = PackedDibSize(info.biWidth, info.biHeight, info.biBitCount);
        if (size == 0 || size - DIBHEADER_SIZE > file_.size() - at - DIBHEADER_SIZE) {
            Check("preview", false, "preview " + std::to_string(info.biWidth) + "x" + std::to_string(info.biHeight) + "x" +
                                        std::to_string(info.biBitCount) + " does not fit the file");
            return Fail(at, "bad preview picture");
        }
        show_.preview.assign(file_.begin() + long(at), file_.begin() + long(at + size));
        Check("preview", true, std::to_string(info.biWidth) + "x" + std::to_string(info.biHeight) + ", " +
                                   std::to_string(info.biBitCount) + " bits");
        return true;
    }

    bool HeadLength() {
        if (show_.head.length > file_.size() - show_.contentStart) {
            Check("chain", false, "HEAD length " + std::to_string(show_.head.length) + " runs past the end of the file");
            return Fail(show_.contentStart, "HEAD block longer than the file");
        }
        return true;
    }

    bool Chain() {
        size_t position = show_.contentStart + show_.head.length;
        int sequence = 0;
        for (;;) {
            if (position > file_.size() || file_.size() - position < 8) {
                Check("chain", false, "the file ends before a block at " + std::to_string(position));
                return Fail(position, "file ends inside the chain");
            }
            ReadBlock block;
            block.offset = position;
            block.type = U32(file_, position);
            block.length = U32(file_, position + 4);
            // The trailer ends the chain whatever its own length says.
            if (block.type != TAG_ENDB && block.length != 0 &&
                (block.length < 8 || block.length > file_.size() - position)) {
                Check("chain", false, "block length " + std::to_string(block.length) + " at " + std::to_string(position));
                return Fail(position, "block length " + std::to_string(block.length) + " is impossible");
            }
            if (HeaderSize(block.type)) {
                block.sequence = sequence++;
                if (!DataBlock(block)) {
                    show_.blocks.push_back(std::move(block));
                    return false;
                }
            } else if (block.length >= 12) {
                block.flags = U32(file_, position + 8);
            }
            const bool last = block.type == TAG_ENDB || block.length == 0;
            show_.blocks.push_back(std::move(block));
            if (last) break;
            position += show_.blocks.back().length;
        }
        show_.chainEnd = position;
        show_.chainReachesTrailer = position == file_.size() - SCREND_SIZE && show_.blocks.back().type == TAG_ENDB;
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
        block.header.assign(file_.begin() + long(at), file_.begin() + long(at + headerSize));
        block.flags = U32(file_, at + 8);
        if (!(block.flags & SCRF_VALID)) {
            Check("chain", false, TagName(block.type) + " block at " + std::to_string(at) + " lacks VALID");
            return Fail(at, "block without VALID flag");
        }
        const uint8_t *data = &file_[at + headerSize];
        const size_t size = block.length - headerSize;
        block.storedSize = size;
        const bool jpeg = block.type == TAG_IMAG && (block.flags & SCRF_JPEG);
        const bool compressed = !jpeg && (block.flags & SCRF_COMPRESSED) && (block.type == TAG_IMAG || block.type == TAG_ANIM);
        if (block.type == TAG_APPL) return AppletData(block, data, size);
        if (jpeg) return JpegData(block, data, size);
        if (compressed && block.type == TAG_IMAG) return PictureData(block, data, size);
        if (compressed) {
            if (!InflateStream(data, size, &block.data, &block.cutShort)) {
                Check("chain", false, TagName(block.type) + " block at " + std::to_string(at) + ": the compressed data does not inflate");
                return Fail(at, "compressed data does not inflate");
            }
            return true;
        }
        block.data.assign(data, data + size);
        return true;
    }

    // A JPEG is kept as stored; the player takes only those its decoder takes.
    bool JpegData(ReadBlock &block, const uint8_t *data, size_t size) {
        ml::JPEGINFO info;
        const ml::JPEGCHECK check = ml::CheckJpeg(data, size, &info);
        if (check != ml::JPEG_OK) {
            Check("chain", false, "IMAG block at " + std::to_string(block.offset) + ": " + ml::JpegCheckText(check));
            return Fail(block.offset, "JPEG picture the player does not take");
        }
        block.data.assign(data, data + size);
        return true;
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

    bool AppletData(ReadBlock &block, const uint8_t *data, size_t remaining) {
        const SCRAPPLET header = block.As<SCRAPPLET>();
        const uint64_t objects = uint64_t(header.picturecount) + header.soundcount;
        if (objects > remaining / APPLETOBJECT_SIZE) {
            Check("chain", false, "APPL block at " + std::to_string(block.offset) + ": " + std::to_string(objects) + " objects cannot fit");
            return Fail(block.offset, "applet object counts larger than the block");
        }
        const bool compressed = (header.flags & SCRF_COMPRESSED) != 0;
        for (uint32_t i = 0; i < header.picturecount; ++i)
            if (!Object(block, data, remaining, true, compressed)) return false;
        for (uint32_t i = 0; i < header.soundcount; ++i)
            if (!Object(block, data, remaining, false, false)) return false;
        block.data.assign(data, data + remaining);
        return true;
    }

    // One object record; `data` and `remaining` move past it.
    bool Object(ReadBlock &block, const uint8_t *&data, size_t &remaining, bool picture, bool compressed) {
        const size_t at = size_t(data - file_.data());
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
        const uint32_t crc = uint32_t(ml::crc32(0, file_.data(), unsigned(show_.contentStart)));
        const bool ok = crc == programCheck_;
        Check("program check", ok, "CRC-32 of the " + std::to_string(show_.contentStart) + "-byte program part " +
                                       (ok ? "matches" : "is " + Hex(crc) + ", trailer says " + Hex(programCheck_)));
        return ok ? true : Fail(0, "program part does not match its check");
    }

    const Bytes &file_;
    ShowFile &show_;
    uint32_t headCrc_ = 0;
    uint32_t programCheck_ = 0;
};

}  // namespace

bool InflateStream(const uint8_t *data, size_t size, Bytes *out, bool *cutShort, size_t limit) {
    out->clear();
    *cutShort = false;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    stream.next_in = const_cast<Bytef *>(data);
    stream.avail_in = uInt(size);
    bool ok = true, ended = false;
    uint8_t chunk[65536];
    while (ok && stream.total_in != size) {
        stream.next_out = chunk;
        stream.avail_out = sizeof chunk;
        const int result = inflate(&stream, Z_PARTIAL_FLUSH);
        out->insert(out->end(), chunk, chunk + (sizeof chunk - stream.avail_out));
        if (out->size() > limit) ok = false;
        if (result == Z_STREAM_END) {
            ended = true;
            break;
        }
        if (result != Z_OK) ok = false;
    }
    inflateEnd(&stream);
    *cutShort = ok && !ended;
    if (!ok || out->empty()) {
        out->clear();
        return false;
    }
    return true;
}

ShowFile ReadShowFile(const Bytes &file) {
    ShowFile show;
    show.size = file.size();
    if (file.size() > UINT32_MAX) {
        show.failure = "the file is larger than 4 GB";
        show.checks.push_back({"trailer", false, show.failure});
        return show;
    }
    Walker walker(file, show);
    show.loads = walker.Run();
    return show;
}

Bytes ProgramPart(const Bytes &player) {
    if (player.size() < SCREND_SIZE || ReadU32(player, player.size() - SCREND_SIZE) != TAG_ENDB) return player;
    const uint32_t contentLength = ReadU32(player, player.size() - SCREND_SIZE + offsetof(SCREND, contentlength)) ^ CONTENTLENGTH_MASK;
    if (contentLength > player.size() || contentLength < SCRHEAD_SIZE + SCREND_SIZE) return player;
    const size_t start = player.size() - contentLength;
    if (ReadU32(player, start) != TAG_HEAD) return player;
    return Bytes(player.begin(), player.begin() + long(start));
}

}  // namespace mlshow
