// Portable writer of the show container.
#include "content/writer.h"

#include <zlib.h>

#include <stdexcept>

#include "content/crc32.h"

namespace {

template <typename Record>
void Append(Bytes &out, const Record &record) {
    const uint8_t *p = reinterpret_cast<const uint8_t *>(&record);
    out.insert(out.end(), p, p + sizeof(Record));
}

void AppendBytes(Bytes &out, const Bytes &bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

template <typename Header>
void StampHeader(Header &header, uint32_t type, size_t dataSize) {
    header.type = type;
    header.length = uint32_t(sizeof(Header) + dataSize);
    header.flags |= SCRF_VALID;
}

}  // namespace

Bytes CompressStream(const Bytes &data, int level) {
    uLongf size = compressBound(uLong(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), uLong(data.size()), level) != Z_OK)
        throw std::runtime_error("zlib could not compress the data");
    out.resize(size);
    return out;
}

void ShowWriter::AddBlock(const void *header, size_t headerSize, const Bytes &data) {
    Bytes block(static_cast<const uint8_t *>(header), static_cast<const uint8_t *>(header) + headerSize);
    AppendBytes(block, data);
    blocks_.push_back(std::move(block));
}

void ShowWriter::AddPicture(SCRIMAGE header, const Bytes &dib, bool compress) {
    AddStoredPicture(header, compress ? CompressStream(dib) : dib, compress);
}

void ShowWriter::AddJpegPicture(SCRIMAGE header, const Bytes &jpeg) {
    header.flags &= ~SCRF_COMPRESSED;
    header.flags |= SCRF_JPEG;
    StampHeader(header, TAG_IMAG, jpeg.size());
    AddBlock(&header, sizeof header, jpeg);
}

void ShowWriter::AddStoredPicture(SCRIMAGE header, const Bytes &stored, bool compressed) {
    header.flags = compressed ? header.flags | SCRF_COMPRESSED : header.flags & ~SCRF_COMPRESSED;
    StampHeader(header, TAG_IMAG, stored.size());
    AddBlock(&header, sizeof header, stored);
}

void ShowWriter::AddText(SCRTEXT header, std::string_view text) {
    Bytes stored(text.begin(), text.end());
    StampHeader(header, TAG_TEXT, stored.size());
    AddBlock(&header, sizeof header, stored);
}

void ShowWriter::AddApplet(SCRAPPLET header, const std::vector<ShowObject> &pictures,
                           const std::vector<ShowObject> &sounds, std::string_view script,
                           bool compress) {
    std::vector<ShowObject> stored = pictures;
    if (compress)
        for (ShowObject &picture : stored) picture.data = CompressStream(picture.data);
    AddStoredApplet(header, stored, sounds, script, compress);
}

void ShowWriter::AddStoredApplet(SCRAPPLET header, const std::vector<ShowObject> &pictures,
                                 const std::vector<ShowObject> &sounds, std::string_view script,
                                 bool compressed) {
    header.flags = compressed ? header.flags | SCRF_COMPRESSED : header.flags & ~SCRF_COMPRESSED;
    header.picturecount = uint32_t(pictures.size());
    header.soundcount = uint32_t(sounds.size());
    Bytes data;
    auto appendObject = [&data](const ShowObject &object, const Bytes &stored) {
        APPLETOBJECT record{};
        record.kind = object.kind;
        record.size = uint32_t(stored.size());
        record.number = object.number;
        Append(data, record);
        AppendBytes(data, stored);
    };
    for (const ShowObject &picture : pictures) appendObject(picture, picture.data);
    for (const ShowObject &sound : sounds) appendObject(sound, sound.data);
    // The script is stored with its terminating zero byte.
    data.insert(data.end(), script.begin(), script.end());
    if (script.empty() || script.back() != '\0') data.push_back(0);
    StampHeader(header, TAG_APPL, data.size());
    AddBlock(&header, sizeof header, data);
}

void ShowWriter::AddSound(SCRSOUND header, const Bytes &data) {
    header.datasize = uint32_t(data.size());
    StampHeader(header, TAG_SOND, data.size());
    AddBlock(&header, sizeof header, data);
}

void ShowWriter::AddAnimation(SCRANIM header, const Bytes &data, bool compress) {
    AddStoredAnimation(header, compress ? CompressStream(data) : data, compress);
}

void ShowWriter::AddStoredAnimation(SCRANIM header, const Bytes &stored, bool compressed) {
    header.flags = compressed ? header.flags | SCRF_COMPRESSED : header.flags & ~SCRF_COMPRESSED;
    StampHeader(header, TAG_ANIM, stored.size());
    AddBlock(&header, sizeof header, stored);
}

Bytes ShowWriter::Build(const Bytes &program, ShowLayout *layout) const {
    size_t total = program.size() + SCRHEAD_SIZE + preview_.size() + SCREND_SIZE;
    for (const Bytes &block : blocks_) total += block.size();
    Bytes file;
    file.reserve(total);  // large shows are laid out without regrowing
    file = program;
    ShowLayout where;
    where.contentStart = file.size();

    SCRHEAD head = head_;
    head.type = TAG_HEAD;
    head.length = uint32_t(SCRHEAD_SIZE + preview_.size());
    head.preview = preview_.empty() ? 0 : 1;
    if (!preview_.empty()) head.flags |= SCRF_VALID;
    Append(file, head);
    AppendBytes(file, preview_);

    for (const Bytes &block : blocks_) {
        where.blockOffsets.push_back(file.size());
        AppendBytes(file, block);
    }

    SCREND trailer{};
    trailer.type = TAG_ENDB;
    trailer.length = SCREND_SIZE;
    where.trailerOffset = file.size();
    Append(file, trailer);
    SealContainer(file, where.contentStart);
    if (layout) *layout = where;
    return file;
}

void SealContainer(Bytes &file, size_t contentStart) {
    const size_t trailer = file.size() - SCREND_SIZE;
    const uint32_t contentLength = uint32_t(file.size() - contentStart);
    const uint32_t headCrc = uint32_t(ml::crc32(0, file.data() + contentStart, SCRHEAD_SIZE));
    const uint32_t programCrc = uint32_t(ml::crc32(0, file.data(), unsigned(contentStart)));
    WriteU32(file, trailer + offsetof(SCREND, contentlength), contentLength ^ CONTENTLENGTH_MASK);
    WriteU32(file, trailer + offsetof(SCREND, headcrc), headCrc ^ HEADCRC_MASK);
    WriteU32(file, trailer + offsetof(SCREND, programcheck), programCrc ^ PROGRAMCHECK_MASK);
}

uint32_t ReadU32(const Bytes &file, size_t offset) {
    return uint32_t(file[offset]) | uint32_t(file[offset + 1]) << 8 | uint32_t(file[offset + 2]) << 16 |
           uint32_t(file[offset + 3]) << 24;
}

void WriteU32(Bytes &file, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) file[offset + i] = uint8_t(value >> (8 * i));
}
