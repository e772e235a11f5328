// The serial number of a MSGID control line: eight hexadecimal digits that,
// together with the sender's address, make the letter's identity for every
// tosser and reader that sees it.
#pragma once

#include <cstdint>
#include <string>

#include "core/DateHelpers.h"

// (R + (H xor L)) mod 2^32, where H and L are the high and low 32-bit halves
// of the date-time value as an IEEE-754 double and R is the next value
// (0..65534) of a linear congruential generator. The generator is seeded once
// per process from the clock and the process id, so that two programs posting
// within the same millisecond do not make the same serial.
uint32_t NextMsgIdSerial(DateTime now);
// Sets the generator's seed (tests).
void SeedMsgIdGenerator(uint32_t seed);
// The generator's next value, 0..65534.
uint32_t NextRandom65535();
// Eight capital hexadecimal digits with leading zeros.
std::string SerialText(uint32_t serial);
