#pragma once
// The GenICam file the simulated camera serves from its memory, and the helpers
// that pack it and name it in a bootstrap URL.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The hand-written description of the simulated camera's features.
std::string_view SimGenICamXml();

// A ZIP archive of one deflated entry, as cameras ship their packed files.
std::vector<uint8_t> SimZipPack(std::string_view entryName, std::span<const uint8_t> content);

// "Local:name;address;length" with address and length in hexadecimal.
std::string SimLocalUrl(std::string_view fileName, uint32_t address, uint32_t length);
