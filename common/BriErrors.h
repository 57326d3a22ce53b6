// Errors that the shared helpers raise. The application's default error box shows what().
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

class EBriError : public std::runtime_error {
public:
    explicit EBriError(const std::string& Message) : std::runtime_error(Message) {}
};

// A failed system call: its error code and the system's text for it.
class EOSError : public EBriError {
public:
    EOSError(uint32_t ErrorCode, const std::string& Message) : EBriError(Message), ErrorCode(ErrorCode) {}
    uint32_t ErrorCode;
};

// An input/output failure with its system error code (3: path not found).
class EInOutError : public EBriError {
public:
    EInOutError(int ErrorCode, const std::string& Message) : EBriError(Message), ErrorCode(ErrorCode) {}
    int ErrorCode;
};
