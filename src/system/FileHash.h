#pragma once
// The SHA-256 of an open file, through the system's cryptographic provider.

#include <windows.h>

#include <array>

using Sha256 = std::array<BYTE, 32>;

// Hashes everything `file` holds, read from its start through this handle; false when
// the file cannot be read or the provider is missing.
bool Sha256OfFile(HANDLE file, Sha256& hash);
