// The viewer's exceptions: a general base with a message, the silent abort, and the
// ELXAException family that carries the (group, number) pair of every error report.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "viewer/core/LXA_Format.h"

// Every exception the viewer raises itself; its message is a UTF-8 text.
class EGeneral : public std::runtime_error {
  public:
    explicit EGeneral(const std::string &message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Ends an operation without a further message of its own.
class EAbort : public EGeneral {
  public:
    EAbort() : EGeneral("Operation aborted") {}
};

// A format whose placeholders do not match its arguments.
class EConvertError : public EGeneral {
  public:
    using EGeneral::EGeneral;
};

// A file that cannot be created; the message names the file and the system's reason.
class EFCreateError : public EGeneral {
  public:
    using EGeneral::EGeneral;
};

// The program's own failures; the application-wide handler shows the message unchanged
// with its Group and Number. Not raised directly: only its subclasses are.
class ELXAException : public EGeneral {
  public:
    ELXAException(const std::string &message, std::int32_t group, std::int32_t number)
        : EGeneral(message), Group(group), Number(number) {}
    ELXAException(std::string_view format, std::initializer_list<TFormatArg> args,
                  std::int32_t group, std::int32_t number)
        : EGeneral(Format(format, args)), Group(group), Number(number) {}

    std::int32_t Group;
    std::int32_t Number;
};

// The book catalogue: an invalid book index.
class ELXABooks : public ELXAException {
  public:
    using ELXAException::ELXAException;
};

// The result list: a corrupt table text or an invalid result index.
class ELXASearchResults : public ELXAException {
  public:
    using ELXAException::ELXAException;
};

// One search result: a corrupt table row.
class ELXASearchResult : public ELXAException {
  public:
    using ELXAException::ELXAException;
};
