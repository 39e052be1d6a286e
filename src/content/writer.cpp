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

// The HEAD block's header as stored in front of a preview of `previewSize` bytes.
SCRHEAD StampedHead(const SCRHEAD &given, size_t previewSize) {
    SCRHEAD head = given;
    head.type = TAG_HEAD;
    head.length = uint32_t(SCRHEAD_SIZE + previewSize);
    head.preview = previewSize ? 1 : 0;
    if (previewSize) head.flags |= SCRF_VALID;
    return head;
}

// The trailer with its three checks masked.
SCREND SealedTrailer(uint32_t contentLength, uint32_t headCrc, uint32_t programCrc) {
    SCREND trailer{};
    trailer.type = TAG_ENDB;
    trailer.length = SCREND_SIZE;
    trailer.contentlength = contentLength ^ CONTENTLENGTH_MASK;
    trailer.headcrc = headCrc ^ HEADCRC_MASK;
    trailer.programcheck = programCrc ^ PROGRAMCHECK_MASK;
    return trailer;
}

// CRC-32 of any number of bytes (ml::crc32 counts in unsigned).
uint32_t Crc(uint32_t start, const uint8_t *bytes, size_t count) {
    unsigned long crc = start;
    for (size_t done = 0; done < count;) {
        const size_t piece = count - done < (size_t(1) << 30) ? count - done : size_t(1) << 30;
        crc = ml::crc32(crc, bytes + done, unsigned(piece));
        done += piece;
    }
    return uint32_t(crc);
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

template <typename Header>
void BlockWriter::Put(Header &header, uint32_t type, const uint8_t *data, size_t dataSize) {
    if (dataSize > UINT32_MAX - sizeof(Header)) throw std::length_error("a block larger than 4 GB");
    header.type = type;
    header.length = uint32_t(sizeof(Header) + dataSize);
    header.flags |= SCRF_VALID;
    PutBlock(&header, sizeof header, data, dataSize);
}

void BlockWriter::PutPicture(SCRIMAGE &header, std::string_view caption, const uint8_t *data, size_t dataSize) {
    if (caption.size() > MAXCAPTIONLENGTH) throw std::invalid_argument("a caption longer than 1024 bytes");
    if (dataSize > UINT32_MAX - SCRIMAGE_SIZE - caption.size()) throw std::length_error("a block larger than 4 GB");
    header.type = TAG_IMAG;
    header.captionlength = uint32_t(caption.size());
    header.length = uint32_t(SCRIMAGE_SIZE + caption.size() + dataSize);
    header.flags |= SCRF_VALID;
    // The caption goes out as the header's tail, so the data is not copied.
    Bytes head;
    Append(head, header);
    head.insert(head.end(), caption.begin(), caption.end());
    PutBlock(head.data(), head.size(), data, dataSize);
}

void BlockWriter::AddPicture(SCRIMAGE header, const Bytes &dib, bool compress, std::string_view caption) {
    AddStoredPicture(header, compress ? CompressStream(dib) : dib, compress, caption);
}

void BlockWriter::AddJpegPicture(SCRIMAGE header, const Bytes &jpeg, std::string_view caption) {
    header.flags &= ~SCRF_COMPRESSED;
    header.flags |= SCRF_JPEG;
    PutPicture(header, caption, jpeg.data(), jpeg.size());
}

void BlockWriter::AddStoredPicture(SCRIMAGE header, const Bytes &stored, bool compressed, std::string_view caption) {
    header.flags = compressed ? header.flags | SCRF_COMPRESSED : header.flags & ~SCRF_COMPRESSED;
    PutPicture(header, caption, stored.data(), stored.size());
}

void BlockWriter::AddText(SCRTEXT header, std::string_view text) {
    Put(header, TAG_TEXT, reinterpret_cast<const uint8_t *>(text.data()), text.size());
}

void BlockWriter::AddApplet(SCRAPPLET header, const std::vector<ShowObject> &pictures,
                            const std::vector<ShowObject> &sounds, std::string_view script, bool compress) {
    std::vector<ShowObject> stored = pictures;
    if (compress)
        for (ShowObject &picture : stored) picture.data = CompressStream(picture.data);
    AddStoredApplet(header, stored, sounds, script, compress);
}

void BlockWriter::AddStoredApplet(SCRAPPLET header, const std::vector<ShowObject> &pictures,
                                  const std::vector<ShowObject> &sounds, std::string_view script, bool compressed) {
    header.flags = compressed ? header.flags | SCRF_COMPRESSED : header.flags & ~SCRF_COMPRESSED;
    header.picturecount = uint32_t(pictures.size());
    header.soundcount = uint32_t(sounds.size());
    Bytes data;
    auto appendObject = [&data](const ShowObject &object) {
        APPLETOBJECT record{};
        record.kind = object.kind;
        record.size = uint32_t(object.data.size());
        record.number = object.number;
        Append(data, record);
        AppendBytes(data, object.data);
    };
    for (const ShowObject &picture : pictures) appendObject(picture);
    for (const ShowObject &sound : sounds) appendObject(sound);
    // The script is stored with its terminating zero byte.
    data.insert(data.end(), script.begin(), script.end());
    if (script.empty() || script.back() != '\0') data.push_back(0);
    Put(header, TAG_APPL, data.data(), data.size());
}

void BlockWriter::AddSound(SCRSOUND header, const Bytes &data) {
    header.datasize = uint32_t(data.size());
    Put(header, TAG_SOND, data.data(), data.size());
}

void BlockWriter::AddAnimation(SCRANIM header, const Bytes &data, bool compress) {
    AddStoredAnimation(header, compress ? CompressStream(data) : data, compress);
}

void BlockWriter::AddStoredAnimation(SCRANIM header, const Bytes &stored, bool compressed) {
    header.flags = compressed ? header.flags | SCRF_COMPRESSED : header.flags & ~SCRF_COMPRESSED;
    Put(header, TAG_ANIM, stored.data(), stored.size());
}

void ShowWriter::PutBlock(const void *header, size_t headerSize, const uint8_t *data, size_t dataSize) {
    Bytes block(static_cast<const uint8_t *>(header), static_cast<const uint8_t *>(header) + headerSize);
    if (dataSize) block.insert(block.end(), data, data + dataSize);
    blocks_.push_back(std::move(block));
}

Bytes ShowWriter::Build(const Bytes &program, ShowLayout *layout) const {
    size_t total = program.size() + SCRHEAD_SIZE + preview_.size() + SCREND_SIZE;
    for (const Bytes &block : blocks_) total += block.size();
    MemorySink sink;
    sink.bytes.reserve(total);  // large shows are laid out without regrowing
    ShowStream stream(sink, program, head_, preview_);
    for (const Bytes &block : blocks_) stream.AddRawBlock(block);
    stream.Finish();
    if (layout) *layout = stream.Layout();
    return std::move(sink.bytes);
}

ShowStream::ShowStream(ByteSink &sink, const Bytes &program, const SCRHEAD &head, const Bytes &preview)
    : sink_(sink) {
    Write(program.data(), program.size());
    programCrc_ = Crc(0, program.data(), program.size());
    layout_.contentStart = program.size();
    const SCRHEAD stamped = StampedHead(head, preview.size());
    headCrc_ = Crc(0, reinterpret_cast<const uint8_t *>(&stamped), SCRHEAD_SIZE);
    Write(&stamped, SCRHEAD_SIZE);
    Write(preview.data(), preview.size());
}

void ShowStream::Write(const void *data, size_t size) {
    if (size) sink_.Write(static_cast<const uint8_t *>(data), size);
    written_ += size;
}

void ShowStream::PutBlock(const void *header, size_t headerSize, const uint8_t *data, size_t dataSize) {
    if (finished_) throw std::logic_error("a block added to a finished show");
    if (written_ + headerSize + dataSize + SCREND_SIZE > MAXSHOWFILE)
        throw std::length_error("the show file would be larger than 4 GB");
    layout_.blockOffsets.push_back(size_t(written_));
    Write(header, headerSize);
    Write(data, dataSize);
}

void ShowStream::Finish() {
    if (finished_) return;
    finished_ = true;
    layout_.trailerOffset = size_t(written_);
    const SCREND trailer = SealedTrailer(uint32_t(written_ + SCREND_SIZE - layout_.contentStart), headCrc_, programCrc_);
    Write(&trailer, SCREND_SIZE);
}

void SealContainer(Bytes &file, size_t contentStart) {
    const size_t at = file.size() - SCREND_SIZE;
    SCREND trailer;
    std::memcpy(&trailer, &file[at], SCREND_SIZE);
    const SCREND sealed = SealedTrailer(uint32_t(file.size() - contentStart), Crc(0, file.data() + contentStart, SCRHEAD_SIZE),
                                        Crc(0, file.data(), contentStart));
    trailer.contentlength = sealed.contentlength;
    trailer.headcrc = sealed.headcrc;
    trailer.programcheck = sealed.programcheck;
    std::memcpy(&file[at], &trailer, SCREND_SIZE);
}

uint32_t ReadU32(const Bytes &file, size_t offset) {
    return uint32_t(file[offset]) | uint32_t(file[offset + 1]) << 8 | uint32_t(file[offset + 2]) << 16 |
           uint32_t(file[offset + 3]) << 24;
}

void WriteU32(Bytes &file, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) file[offset + i] = uint8_t(value >> (8 * i));
}
