// The deeper checks of a show the loader accepts: what would keep the
// player from playing a block (a damaged bitmap, a sound it cannot open, an
// animation frame outside its data, a field out of range), and what the
// loader tolerates but a well-formed show never has (a gap in the chain).
#pragma once

#include <string>
#include <vector>

#include "reader.h"

namespace mlshow {

// Problems of one block, each a short sentence.
std::vector<std::string> BlockProblems(const ReadBlock &block);
// What only decoding finds: a JPEG picture that does not decode, which the
// player passes over when its turn comes. Empty when it decodes.
std::string JpegDecodeProblem(const Bytes &jpeg);
// Problems of the header block and of the chain as a whole.
std::vector<std::string> ShowProblems(const ShowFile &show);
// Why a show of `items` items cannot be played whole: more than
// MAX_SHOW_ITEMS. Empty when it can.
std::string ItemCountProblem(size_t items);

// One line about what a block holds: a picture's form (a JPEG file, or a
// bitmap stored as it is or deflated), size and depth, compression ratio, a text's first words, an applet's lines and objects, a sound's
// format and duration, an animation's frames and delays.
std::string DescribeBlock(const ReadBlock &block);
std::string DescribeHead(const ShowFile &show);
// ", fit fill, order random (group 1), caption date and name "Beach", taken
// 2024-06-01": how a picture block is shown.
std::string Presentation(const ReadBlock &block);
// yyyymmdd as "2024-06-01"; a number that is no date as it is.
std::string DateText(uint32_t yyyymmdd);
// A Crossfade's stored length in milliseconds as seconds ("1.5"); 0 is the default 1.5 s.
std::string FadeText(uint32_t milliseconds);
// "random (group N)" or "as stored".
std::string OrderText(const SCRIMAGE &header);
// How a picture block stores its picture: "jpeg", "bitmap" or "deflated bitmap".
std::string PictureForm(const ReadBlock &block);

}  // namespace mlshow
