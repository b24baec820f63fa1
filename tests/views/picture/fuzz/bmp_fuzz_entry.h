// One fuzzing step for the BMP reader, shared by the libFuzzer target and the unit test that
// replays hostile inputs: parse the bytes and check what an accepted image promises.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lysora::bmp::fuzz {

// Returns true when the bytes were accepted; aborts when an accepted image breaks a promise
// (row bytes, table length, pixel indexes inside the table's bit range).
bool ParseOneBitmap(const std::uint8_t* data, std::size_t size);

} // namespace lysora::bmp::fuzz
