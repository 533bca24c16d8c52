#pragma once
// The program's exception classes: one root carrying a wide message, and the classes the toolkit
// raises itself. Every failure in the program is one of these (or derives from the root).
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::wstring message);
    const std::wstring& Message() const noexcept { return message_; }
    // The class name, for tools and messages that report what was raised.
    virtual const char* ClassName() const noexcept { return "Exception"; }
    // The message as UTF-8, so that std::exception handlers see something readable.
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    std::wstring message_;
    std::string utf8_;
};

// Declares an exception class that adds nothing but its name.
#define VV_EXCEPTION_CLASS(Name, Base)                                          \
    class Name : public Base {                                                  \
    public:                                                                     \
        using Base::Base;                                                       \
        const char* ClassName() const noexcept override { return #Name; }      \
    }

VV_EXCEPTION_CLASS(EInvalidGraphic, Exception);
VV_EXCEPTION_CLASS(EOutOfResources, Exception);
VV_EXCEPTION_CLASS(EOutOfMemory, Exception);
VV_EXCEPTION_CLASS(EConvertError, Exception);
// A list or an array used with an index or a value it cannot take.
VV_EXCEPTION_CLASS(EListError, Exception);
VV_EXCEPTION_CLASS(ERangeError, Exception);
VV_EXCEPTION_CLASS(EStreamError, Exception);
VV_EXCEPTION_CLASS(EReadError, EStreamError);
VV_EXCEPTION_CLASS(EWriteError, EStreamError);
VV_EXCEPTION_CLASS(EFOpenError, EStreamError);
VV_EXCEPTION_CLASS(EFCreateError, EStreamError);
