// Base64 (RFC 4648, with padding) for data URLs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vortan::page {

std::string Base64(const std::uint8_t* data, std::size_t size);

}  // namespace vortan::page
