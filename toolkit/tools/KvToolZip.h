#pragma once
// The first file of a ZIP archive, as devices pack their GenICam XML.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// The unpacked bytes (stored or raw deflate), or the reason in error.
std::optional<std::string> KvUnzipFirst(std::span<const uint8_t> zip, std::string& error);
