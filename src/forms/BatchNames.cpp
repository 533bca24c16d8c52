#include "forms/BatchNames.h"

#include "app/FileUtil.h"
#include "app/SaveTarget.h"
#include "toolkit/Exceptions.h"

namespace {

// Ten digits would make the largest number 9,999,999,999, beyond the 32-bit range of the count.
constexpr int kMaxDigits = 9;

bool IsForbiddenInPrefix(wchar_t c) {
    return c < 0x20 || std::wstring_view(L"\"*/:<>?\\|").find(c) != std::wstring_view::npos;
}

}  // namespace

std::wstring TRenameDefinition::Name(size_t number) const {
    std::wstring digitsText = std::to_wstring(number);
    if (digitsText.size() < static_cast<size_t>(digits))
        digitsText.insert(0, static_cast<size_t>(digits) - digitsText.size(), L'0');
    return prefix + digitsText;
}

TRenameDefinition ParseRenameDefinition(const std::wstring& definition, size_t count) {
    const size_t star = definition.find(L'*');
    if (star == std::wstring::npos || star == 0) throw Exception(kBadRenameDefinition);
    if (definition.find_first_not_of(L'*', star) != std::wstring::npos) throw Exception(kBadRenameDefinition);
    TRenameDefinition parsed;
    parsed.prefix = definition.substr(0, star);
    for (wchar_t c : parsed.prefix)
        if (IsForbiddenInPrefix(c)) throw Exception(kBadRenameCharacter);
    const size_t digits = definition.size() - star;
    if (digits > kMaxDigits) throw Exception(kTooFewDigits);
    uint64_t limit = 1;
    for (size_t i = 0; i < digits; ++i) limit *= 10;
    if (limit - 1 < count) throw Exception(kTooFewDigits);
    parsed.digits = static_cast<int>(digits);
    return parsed;
}

std::vector<std::wstring> BuildDestinationNames(const std::vector<std::wstring>& sources, const TBatchNaming& naming) {
    if ((naming.archive && naming.kind != TBatchKind::bkCopy) || naming.kind == TBatchKind::bkInvalid)
        throw Exception(kBadBatchKind);
    if (!naming.rename && !naming.convert && naming.kind == TBatchKind::bkOverwrite) throw Exception(kOverwriteItself);
    const std::wstring folder = StripTrailingBackslash(naming.folder) + L'\\';
    TRenameDefinition definition;
    if (naming.rename) definition = ParseRenameDefinition(naming.definition, sources.size());

    std::vector<std::wstring> destinations;
    destinations.reserve(sources.size());
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::wstring& source = sources[i];
        // A member's name is reduced to a plain file name; a path on disk keeps its own name.
        const std::wstring sourceName = naming.archive ? SafeMemberFileName(source) : NamePart(source);
        std::wstring name = naming.rename ? definition.Name(i) + ExtensionPart(sourceName) : sourceName;
        if (naming.convert) name = naming.rename ? definition.Name(i) + kBitmapExtension
                                                 : ReplaceExtension(sourceName, kBitmapExtension);
        // A numbered name can still be a device name ("COM*" gives COM1).
        if (!IsPlainFileName(name)) throw EUnsafeFileName(L"「" + name + L"」はファイル名に使えません。");
        const std::wstring& into = naming.kind == TBatchKind::bkOverwrite ? FolderPart(source) : folder;
        destinations.push_back(into + name);
    }
    return destinations;
}
