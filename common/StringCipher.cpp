#include "StringCipher.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <random>
#include <vector>

const char* const CipherErrorIncorrectPassword = "BriEncryptError*-*Incorrect password";
const char* const CipherErrorStringCorrupted = "BriCryptError*-*String corrupted";

static const unsigned HeaderShift = 10;

static unsigned char Byte(char c)
{
    return static_cast<unsigned char>(c);
}

CipherStatus DecipherTextChecked(const std::string& CipherText, const std::string& Key, std::string& PlainText)
{
    if (CipherText.empty()) {
        PlainText.clear();
        return CipherStatus::Plain;
    }
    if (Key.empty())
        return CipherStatus::IncorrectPassword;

    const char digit = CipherText[0];
    if (digit < '0' || digit > '9')
        return CipherStatus::StringCorrupted;
    const size_t fillerCount = static_cast<size_t>(digit - '0');

    // The header may be cut short by the end of the text. The check compares the last
    // length(Key) bytes of the unshifted header, or all of it when it is shorter than the key;
    // the filler bytes in front are not examined.
    const std::string header = CipherText.substr(1, fillerCount + Key.size());
    std::string unshifted = header;
    for (char& c : unshifted)
        c = static_cast<char>(Byte(c) - HeaderShift);
    const size_t checked = std::min(unshifted.size(), Key.size());
    if (unshifted.compare(unshifted.size() - checked, checked, Key) != 0)
        return CipherStatus::IncorrectPassword;

    // The body is shifted by the header as stored (filler and key already increased by 10).
    std::string body = CipherText.substr(1 + header.size());
    for (size_t k = 0; k < body.size(); ++k)
        body[k] = static_cast<char>(Byte(body[k]) - Byte(header[k % header.size()]));
    PlainText = std::move(body);
    return CipherStatus::Plain;
}

std::string DecipherText(const std::string& CipherText, const std::string& Key)
{
    std::string plain;
    switch (DecipherTextChecked(CipherText, Key, plain)) {
    case CipherStatus::StringCorrupted:
        return CipherErrorStringCorrupted;
    case CipherStatus::IncorrectPassword:
        return CipherErrorIncorrectPassword;
    case CipherStatus::Plain:
        break;
    }
    return plain;
}

// A byte that must not appear in a line's value: it would end the text or the line.
static bool IsForbiddenByte(unsigned value)
{
    return value == 0 || value == '\r' || value == '\n';
}

// Tries to build the header for n filler bytes so that no header or body byte is forbidden.
static std::optional<std::string> BuildHeader(const std::string& PlainText, const std::string& Key, size_t FillerCount,
                                              std::mt19937& Random)
{
    const size_t headerLength = FillerCount + Key.size();
    std::string header(headerLength, '\0');

    for (size_t j = 0; j < headerLength; ++j) {
        // The shifted byte candidates for this header position: the key's own, or any filler.
        std::vector<unsigned> candidates;
        if (j >= FillerCount) {
            candidates.push_back((Byte(Key[j - FillerCount]) + HeaderShift) & 0xFF);
        } else {
            candidates.resize(256);
            std::iota(candidates.begin(), candidates.end(), 0u);
            std::shuffle(candidates.begin(), candidates.end(), Random);
        }
        bool found = false;
        for (unsigned h : candidates) {
            bool usable = !IsForbiddenByte(h);
            for (size_t k = j; usable && k < PlainText.size(); k += headerLength)
                usable = !IsForbiddenByte((Byte(PlainText[k]) + h) & 0xFF);
            if (usable) {
                header[j] = static_cast<char>(h);
                found = true;
                break;
            }
        }
        if (!found)
            return std::nullopt;
    }
    return header;
}

std::optional<std::string> EncipherText(const std::string& PlainText, const std::string& Key)
{
    if (Key.empty())
        return std::nullopt;

    std::random_device seed;
    std::mt19937 random(seed());
    std::array<size_t, 10> fillerCounts;
    std::iota(fillerCounts.begin(), fillerCounts.end(), size_t(0));
    std::shuffle(fillerCounts.begin(), fillerCounts.end(), random);

    for (size_t fillerCount : fillerCounts) {
        std::optional<std::string> header = BuildHeader(PlainText, Key, fillerCount, random);
        if (!header)
            continue;
        std::string cipher(1, static_cast<char>('0' + fillerCount));
        cipher += *header;
        for (size_t k = 0; k < PlainText.size(); ++k)
            cipher += static_cast<char>(Byte(PlainText[k]) + Byte((*header)[k % header->size()]));
        return cipher;
    }
    return std::nullopt;
}
