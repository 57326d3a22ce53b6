// The keyed additive byte cipher of the unattended-install file's password.
//
// Ciphered text: one digit n, then the header (n filler bytes followed by the key, each
// byte increased by 10 modulo 256), then the body: every plain byte increased by the
// header byte at the same position modulo the header length.
#pragma once

#include <optional>
#include <string>

extern const char* const CipherErrorIncorrectPassword; // "BriEncryptError*-*Incorrect password"
extern const char* const CipherErrorStringCorrupted;   // "BriCryptError*-*String corrupted"

// Plain text, empty text, or one of the two error texts above.
std::string DecipherText(const std::string& CipherText, const std::string& Key);

// The same, for callers that must tell a failure from a plain text that happens to read
// like an error text: PlainText is set only for CipherStatus::Plain.
enum class CipherStatus { Plain, StringCorrupted, IncorrectPassword };
CipherStatus DecipherTextChecked(const std::string& CipherText, const std::string& Key, std::string& PlainText);

// The inverse of DecipherText. The result never holds a NUL, CR or LF byte, so that it can
// stand as the value of a line of the unattended-install file; n and the filler bytes are
// chosen at random among those that allow it. Empty when no choice can avoid those bytes
// (a key byte that becomes one of them, for instance) or when the key is empty.
std::optional<std::string> EncipherText(const std::string& PlainText, const std::string& Key);
