// CRC-32 of ISO 3309 (reflected polynomial 0xEDB88320), table driven, without
// the final inversion: the register is what the message bases store.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

const std::array<uint32_t, 256>& Crc32Table();

inline uint32_t Crc32Update(uint8_t byte, uint32_t crc)
{
    return Crc32Table()[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

// Crc32Update over the bytes, starting from 0xFFFFFFFF.
uint32_t Crc32Buffer(const void* buffer, std::size_t length);

// The same over the ASCII-upper-cased text; only the first (length mod 256)
// characters are taken.
uint32_t Crc32UpperName(std::string_view text);

// The same over the ASCII-lower-cased text, all of it (JAM's name checksum).
uint32_t Crc32LowerName(std::string_view text);
