#include "toolkit/UiText.h"

#include "toolkit/Exceptions.h"
#include "toolkit/TextUtil.h"

std::wstring HintText(std::wstring_view hint) {
    const std::wstring_view shown = hint.substr(0, hint.find(L'|'));
    std::wstring text;
    text.reserve(shown.size() + 4);
    for (size_t i = 0; i < shown.size(); ++i) {
        text += shown[i];
        const bool lineFeedFollows = i + 1 < shown.size() && shown[i + 1] == L'\n';
        if (shown[i] == L'\r' && !lineFeedFollows) text += L'\n';
    }
    return text;
}

std::wstring ExceptionText(std::exception_ptr error) {
    if (!error) return L"";
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return Utf8ToWide(e.what());
    } catch (...) {
        return L"不明な例外が発生しました。";
    }
}
