#include "toolkit/Exceptions.h"

#include "toolkit/TextUtil.h"

Exception::Exception(std::wstring message) : message_(std::move(message)), utf8_(WideToUtf8(message_)) {}
