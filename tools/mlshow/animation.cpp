// Animation data: layout and checks.
#include "animation.h"

#include <cstring>

#include "dib.h"

namespace mlshow {

Bytes BuildAnimationData(const Animation &animation) {
    ANIMHEADER header{};
    header.wide = animation.wide;
    header.deep = animation.deep;
    header.framecount = uint32_t(animation.frames.size());
    header.loopcount = animation.loopcount;
    Bytes data(reinterpret_cast<const uint8_t *>(&header), reinterpret_cast<const uint8_t *>(&header) + sizeof header);
    size_t offset = ANIMHEADER_SIZE + OBJECTANIMFRAME_SIZE * animation.frames.size();
    for (const AnimationFrame &frame : animation.frames) {
        OBJECTANIMFRAME record{};
        record.offset = uint32_t(offset);
        record.flags = frame.flags;
        record.delay = frame.delay;
        record.transparent = frame.transparent;
        record.x = frame.x;
        record.y = frame.y;
        const uint8_t *p = reinterpret_cast<const uint8_t *>(&record);
        data.insert(data.end(), p, p + sizeof record);
        offset += frame.dib.size();
    }
    for (const AnimationFrame &frame : animation.frames) data.insert(data.end(), frame.dib.begin(), frame.dib.end());
    return data;
}

Animation ReadAnimationData(const Bytes &data, std::string *problem) {
    Animation animation;
    problem->clear();
    if (data.size() < ANIMHEADER_SIZE) {
        *problem = "animation data of " + std::to_string(data.size()) + " bytes, shorter than its header";
        return animation;
    }
    ANIMHEADER header;
    std::memcpy(&header, data.data(), sizeof header);
    animation.wide = header.wide;
    animation.deep = header.deep;
    animation.loopcount = header.loopcount;
    if (header.wide <= 0 || header.deep <= 0) {
        *problem = "animation window " + std::to_string(header.wide) + "x" + std::to_string(header.deep);
        return animation;
    }
    if (header.framecount == 0) {
        *problem = "the animation has no frames";
        return animation;
    }
    if (header.framecount > (data.size() - ANIMHEADER_SIZE) / OBJECTANIMFRAME_SIZE) {
        *problem = "the frame table of " + std::to_string(header.framecount) + " frames does not fit the data";
        return animation;
    }
    for (uint32_t i = 0; i < header.framecount; ++i) {
        OBJECTANIMFRAME record;
        std::memcpy(&record, &data[ANIMHEADER_SIZE + size_t(i) * OBJECTANIMFRAME_SIZE], sizeof record);
        AnimationFrame frame;
        frame.flags = record.flags;
        frame.delay = record.delay;
        frame.transparent = record.transparent;
        frame.x = record.x;
        frame.y = record.y;
        const std::string where = "frame " + std::to_string(i + 1) + ": ";
        if (record.offset >= data.size()) {
            *problem = where + "bitmap offset " + std::to_string(record.offset) + " is outside the data";
            return animation;
        }
        DibInfo info;
        const std::string wrong = CheckPackedDib(&data[record.offset], data.size() - record.offset, &info);
        if (!wrong.empty()) {
            *problem = where + wrong;
            return animation;
        }
        frame.dib.assign(data.begin() + long(record.offset), data.begin() + long(record.offset + info.size));
        animation.frames.push_back(std::move(frame));
    }
    return animation;
}

}  // namespace mlshow
