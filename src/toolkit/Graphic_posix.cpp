// Files for the native build: read whole into memory and written from memory, with UTF-8 names.
#include <fstream>
#include <iterator>
#include <vector>

#include "toolkit/Exceptions.h"
#include "toolkit/Graphic.h"
#include "toolkit/Streams.h"
#include "toolkit/TextUtil.h"

void TGraphic::LoadFromFile(const std::wstring& fileName) {
    std::ifstream in(WideToUtf8(fileName), std::ios::binary);
    if (!in) throw EFOpenError(FormatW(L"ファイル %s を開けません。", {fileName}));
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TMemoryStream stream;
    stream.LoadFromBuffer(bytes.data(), bytes.size());
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::wstring& fileName) {
    TMemoryStream stream;
    SaveToStream(stream);
    std::ofstream out(WideToUtf8(fileName), std::ios::binary | std::ios::trunc);
    if (!out) throw EFCreateError(FormatW(L"ファイル %s を作成できません。", {fileName}));
    out.write(reinterpret_cast<const char*>(stream.Memory()), static_cast<std::streamsize>(stream.Length()));
    if (!out) throw EWriteError(L"ストリームの書き込みに失敗しました。");
}
