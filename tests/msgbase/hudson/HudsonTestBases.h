// Hudson bases written byte by byte for the tests, from the record layout as
// written down here (not from the code under test), and a SHA-1 to compare
// stored texts with the fixture's manifest.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "msgbase/hudson/HudsonMsgBase.h"

namespace hudson_test {

struct Letter {
    uint16_t Number = 0;  // 0xFFFF in the index (and attribute 0x01) when Deleted
    uint8_t Board = 1;
    std::string To = "All", From = "Sender", Subject = "Subject";  // stored bytes
    std::string Date = "12-01-24", Time = "09:00";
    std::string Text = "Text\r";  // stored bytes; split into blocks of 255
    uint8_t MsgAttr = 0, NetAttr = 0;
    uint16_t ReplyTo = 0, FirstReply = 0;
    bool Deleted = false;
    int ClaimedBlocks = -1;  // the header's block count when it should lie
};

// One MSGHDR record.
std::string HeaderBytes(const Letter& l, uint16_t startBlock, uint16_t blocks);
// One MSGINFO record.
std::string InfoBytes(uint16_t low, uint16_t high, uint16_t total, const std::vector<std::pair<int, uint16_t>>& boards);
// Writes the five files into dir (names in upper case when upper is set);
// counters as a careful writer keeps them.
void WriteBase(const std::string& dir, const std::vector<Letter>& letters, bool upper = false);

// A base object opened on board `board` of dir (status checked by the caller).
std::unique_ptr<HudsonMsgBase> Board(const std::string& dir, int board);
// Builds and stores a letter through the interface; returns the status.
Status Post(MsgBase& base, const std::string& to, const std::string& text, uint8_t mailType = 1);
// The raw (stored) text of the current letter, read with ReadChar.
std::string RawText(MsgBase& base);

std::string Sha1Hex(const std::string& bytes);

}  // namespace hudson_test
