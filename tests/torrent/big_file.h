// Test helper: grows a file to a given size without writing its bytes (a sparse file).
#pragma once

#include <cstdint>
#include <string>

// False when the file system could not do it.
bool extend_file(const std::wstring& path, std::uint64_t size);
