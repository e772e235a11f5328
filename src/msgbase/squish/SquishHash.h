// The recipient hash kept in every .SQI record: lets a search by name skip
// letters without reading their headers.
#pragma once

#include <cstdint>
#include <string_view>

// Over the bytes as stored (in the set of its letter): A-Z are lowered, every other byte enters as
// it is. Bit 31 is never set in the result (peers use it to mark a received
// letter in the index).
uint32_t SquishHash(std::string_view name);
