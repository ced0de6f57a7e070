#pragma once
// What the system's expand makes of a compressed file, read from the file's header.
#include <cstdint>
#include <optional>
#include <string>

// The length of the file a compressed source expands to, as its header states it:
// the SZDD format of older discs, or a cabinet ("MSCF") holding one whole file, as
// the Windows XP CD has them. Nothing for anything else, which expand would copy
// as it is. `header` is the start of the file; 4 KB is enough for either format.
std::optional<std::uint64_t> expandedLength(const std::string& header);

constexpr std::size_t kCompressedHeaderBytes = 4096;
