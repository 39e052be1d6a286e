// mlshow info: every block and every check, as text or JSON. Reads the show
// block by block, keeping only each block's lines.
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <sstream>

#include "checks.h"
#include "commands.h"
#include "json.h"
#include "manifest.h"
#include "memory.h"
#include "names.h"
#include "reader.h"

namespace mlshow {

namespace {

std::string Sequence(const ReadBlock &block) { return block.sequence < 0 ? "-" : std::to_string(block.sequence); }

// One block's line and its problems, for the text report.
std::string BlockLines(const ReadBlock &block) {
    std::ostringstream out;
    out << "  " << std::left << std::setw(11) << block.offset << std::setw(6) << TagName(block.type) << std::setw(11)
        << block.length << std::setw(30) << FlagNames(block.type, block.flags) << " " << std::setw(5) << Sequence(block)
        << DescribeBlock(block) << "\n";
    for (const std::string &problem : BlockProblems(block)) out << "      problem: " << problem << "\n";
    return out.str();
}

void TextReport(const std::string &path, const ShowFile &show, const std::vector<std::string> &blocks,
                const PlayerMemory &memory, std::ostream &out) {
    out << path << ": " << show.size << " bytes";
    if (show.contentStart) out << ", program part " << show.contentStart << " bytes, show " << show.size - show.contentStart << " bytes";
    out << "\n\nchecks:\n";
    for (const CheckResult &check : show.checks)
        out << "  " << std::left << std::setw(14) << check.name << (check.ok ? "ok      " : "FAILED  ") << check.detail << "\n";
    if (!show.haveHead) return;
    out << "\nblocks:\n  " << std::left << std::setw(11) << "offset" << std::setw(6) << "type" << std::setw(11) << "length"
        << std::setw(31) << "flags" << std::setw(5) << "seq" << "holds\n";
    out << "  " << std::setw(11) << show.contentStart << std::setw(6) << "HEAD" << std::setw(11) << show.head.length
        << std::setw(30) << FlagNames(TAG_HEAD, show.head.flags) << " " << std::setw(5) << "-" << DescribeHead(show) << "\n";
    for (const std::string &lines : blocks) out << lines;
    for (const std::string &problem : ShowProblems(show)) out << "  problem: " << problem << "\n";
    out << "\n" << (show.loads ? "the player loads this show" : "the player rejects this file " + show.failure) << "\n";
    if (!show.loads) return;
    out << "the player holds " << memory.Text() << " of content\n";
    if (memory.TooMuch()) out << "problem: " << memory.Warning() << "\n";
}

JsonArray FlagList(uint32_t type, uint32_t flags) {
    JsonArray list;
    const std::string names = FlagNames(type, flags);
    if (names == "-") return list;
    size_t start = 0;
    for (size_t bar; (bar = names.find('|', start)) != std::string::npos; start = bar + 1) list.Add(Json::String(names.substr(start, bar - start)));
    list.Add(Json::String(names.substr(start)));
    return list;
}

std::string BlockJson(const ReadBlock &block) {
    JsonObject b;
    b.Add("offset", Json::Number(block.offset));
    b.Add("type", Json::String(TagName(block.type)));
    b.Add("length", Json::Number(block.length));
    b.Add("flags", FlagList(block.type, block.flags).Text());
    b.Add("sequence", block.sequence < 0 ? "null" : Json::Number(size_t(block.sequence)));
    if (block.type == TAG_IMAG && !block.header.empty()) {
        const SCRIMAGE h = block.As<SCRIMAGE>();
        b.Add("form", Json::String(PictureForm(block)));
        b.Add("fit", Json::String(FitName(h.flags)));
        b.Add("order", Json::String(h.flags & SCRF_RANDOMORDER ? "random" : "as stored"));
        b.Add("group", h.flags & SCRF_RANDOMORDER ? Json::Number(h.group) : "null");
        b.Add("caption", Json::String(CaptionName(h.flags)));
        b.Add("captionText", Json::String(block.caption));
        b.Add("taken", h.takendate ? Json::String(DateText(h.takendate)) : "null");
        b.Add("fade", FadeText(h.fade));
        b.Add("motion", Json::String(MotionName(h.flags)));
        b.Add("backdrop", Json::String(BackdropName(h.flags)));
        b.Add("pair", Json::String(PairName(h.flags)));
    }
    b.Add("holds", Json::String(DescribeBlock(block)));
    JsonArray problems;
    for (const std::string &problem : BlockProblems(block)) problems.Add(Json::String(problem));
    b.Add("problems", problems.Text());
    return b.Text();
}

void JsonReport(const std::string &path, const ShowFile &show, const std::vector<std::string> &blockJson,
                const PlayerMemory &memory, std::ostream &out) {
    JsonObject report;
    report.Add("file", Json::String(path));
    report.Add("size", Json::Number(show.size));
    report.Add("contentStart", Json::Number(show.contentStart));
    report.Add("loads", Json::Bool(show.loads));
    report.Add("failure", Json::String(show.failure));
    JsonArray checks;
    for (const CheckResult &check : show.checks) {
        JsonObject c;
        c.Add("name", Json::String(check.name));
        c.Add("ok", Json::Bool(check.ok));
        c.Add("detail", Json::String(check.detail));
        checks.Add(c.Text());
    }
    report.Add("checks", checks.Text());
    if (show.haveHead) {
        JsonObject head;
        head.Add("title", Json::String(std::string(show.head.title, strnlen(show.head.title, sizeof show.head.title))));
        head.Add("author", Json::String(std::string(show.head.author, strnlen(show.head.author, sizeof show.head.author))));
        head.Add("description", Json::String(std::string(show.head.description, strnlen(show.head.description, sizeof show.head.description))));
        head.Add("background", Json::String(ColourText(show.head.backgroundcolour)));
        head.Add("created", Json::Number(show.head.created));
        head.Add("length", Json::Number(show.head.length));
        head.Add("flags", FlagList(TAG_HEAD, show.head.flags).Text());
        head.Add("monitors", Json::String(MonitorsName(show.head.flags)));
        head.Add("clock", Json::String(ClockName(show.head.flags)));
        head.Add("keys", Json::String(KeysName(show.head.flags)));
        head.Add("holds", Json::String(DescribeHead(show)));
        report.Add("head", head.Text());
    }
    JsonArray blocks;
    for (const std::string &block : blockJson) blocks.Add(block);
    report.Add("blocks", blocks.Text());
    JsonArray problems;
    if (show.loads) {
        for (const std::string &problem : ShowProblems(show)) problems.Add(Json::String(problem));
        if (memory.TooMuch()) problems.Add(Json::String(memory.Warning()));
        JsonObject held;
        held.Add("total", Json::Number(memory.Total()));
        held.Add("bitmaps", Json::Number(memory.bitmaps));
        held.Add("jpegs", Json::Number(memory.jpegs));
        held.Add("applets", Json::Number(memory.applets));
        held.Add("other", Json::Number(memory.other));
        held.Add("limit", Json::Number(PLAYER_CONTENT_LIMIT));
        report.Add("memory", held.Text());
    }
    report.Add("problems", problems.Text());
    out << report.Text() << "\n";
}

}  // namespace

int RunInfo(const std::string &path, bool json, std::ostream &out) {
    std::vector<std::string> blocks;
    PlayerMemory memory;
    const ShowFile show = ScanShowFile(path, [&](const ReadBlock &block) {
        blocks.push_back(json ? BlockJson(block) : BlockLines(block));
        memory.AddBlock(block);
    });
    memory.bitmaps += show.preview.size();
    if (json) JsonReport(path, show, blocks, memory, out);
    else TextReport(path, show, blocks, memory, out);
    return show.loads ? 0 : 1;
}

}  // namespace mlshow
