// The SHA-256 rounds in the processor's own instructions (the SHA extensions of x86 processors
// since about 2017), some ten times as fast as the rounds in C++: an installation digests every
// file that it writes, keeps or puts back.
#pragma once

#include <cstddef>
#include <cstdint>

// FIPS 180-4's round constants, shared by both ways of computing the rounds.
extern const uint32_t Sha256RoundConstants[64];

// True when the processor has the instructions (and the compiler could emit them).
bool ShaInstructionsPresent();

// Adds Blocks blocks of 64 bytes at Data to State (a, b, ..., h), as the rounds in C++ do. Only
// where ShaInstructionsPresent().
void ShaInstructionBlocks(uint32_t* State, const uint8_t* Data, size_t Blocks);
