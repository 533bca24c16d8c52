// spitool: lists the Susie plug-ins that the program would load and runs archive plug-ins on a
// file, through the same plug-in host the program uses. For plug-in authors and users who want
// to know why a plug-in is not picked up or what it makes of a file.
//
//   spitool [--plugins FOLDER] plugins
//   spitool [--plugins FOLDER] list ARCHIVE
//   spitool [--plugins FOLDER] extract ARCHIVE INDEX OUT
//
// Plug-ins are found as the program finds them (the Susie folder from the registry and the
// tool's own folder), or in FOLDER alone. Errors print the exception's class and message and end
// with status 1.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "plugins/SPIPxDIB.h"
#include "plugins/SPIs.h"
#include "toolkit/AnsiText.h"
#include "toolkit/FileStream.h"
#include "toolkit/Streams.h"
#include "toolkit/TextUtil.h"

VV_EXCEPTION_CLASS(ESPIToolError, Exception);

namespace {

const wchar_t kUsage[] =
    L"usage: spitool [--plugins FOLDER] plugins\n"
    L"       spitool [--plugins FOLDER] list ARCHIVE\n"
    L"       spitool [--plugins FOLDER] extract ARCHIVE INDEX OUT\n"
    L"       spitool [--plugins FOLDER] decode FILE OUT.bmp [PLUGIN]\n";

// Text to a console as it is, to a file or pipe as UTF-8.
void Write(DWORD which, const std::wstring& text) {
    HANDLE h = GetStdHandle(which);
    DWORD mode = 0;
    DWORD done = 0;
    if (GetConsoleMode(h, &mode)) {
        WriteConsoleW(h, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
    } else {
        const std::string utf8 = WideToUtf8(text);
        WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &done, nullptr);
    }
}

void Print(const std::wstring& text) { Write(STD_OUTPUT_HANDLE, text); }

std::wstring Hex8(uint32_t v) {
    wchar_t buf[16];
    swprintf(buf, 16, L"0x%08X", v);
    return buf;
}

// Unix seconds as a UTC date and time, "YYYY-MM-DD hh:mm:ss".
std::wstring UtcText(int32_t seconds) {
    const int64_t s = seconds;
    int64_t days = s / 86400;
    int64_t rest = s % 86400;
    if (rest < 0) rest += 86400, --days;
    // Days since 1970-01-01 to a civil date (Howard Hinnant's algorithm).
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2);
    wchar_t buf[32];
    swprintf(buf, 32, L"%04d-%02d-%02d %02d:%02d:%02d", static_cast<int>(year), static_cast<int>(month),
             static_cast<int>(day), static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
             static_cast<int>(rest % 60));
    return buf;
}

std::wstring Text(const std::string& ansi) { return AnsiToWide(ansi); }

void LoadPlugins(TSPIs& spis, const std::wstring& folder) {
    if (folder.empty()) {
        spis.Loaded();  // the Susie folder and the program's folder, as the program searches
    } else {
        spis.AutoSearch = false;
        spis.Search(JoinSearchPath(folder, L"*.spi"));
    }
}

void ListPlugins(TSPIs& spis) {
    for (int i = 0; i < spis.Count(); ++i) {
        const TSPI& spi = spis.Items(i);
        std::wstring out = spi.FileName() + L"\n";
        out += L"  class:   " + Utf8ToWide(spi.ClassName()) + L"\n";
        out += L"  version: " + spi.Version() + L"\n";
        out += L"  info:    " + spi.Info() + L"\n";
        for (size_t j = 0; j < spi.Extensions().size(); ++j)
            out += L"  pattern: " + spi.Extensions()[j] + L"  " + spi.FileTypes()[j] + L"\n";
        Print(out);
    }
    Print(std::to_wstring(spis.Count()) + L" plug-in(s)\n");
}

// The archive plug-in the program would use for a file: those claiming its extension first, then
// the others; the first whose IsSupported accepts the file's head.
TAmSPI& FindArchivePlugin(TSPIs& spis, const std::wstring& archive) {
    const std::vector<uint8_t> head = ReadFileHead(archive);
    for (TAmSPI* spi : spis.SPIListOf<TAmSPI>(archive))
        if (SPIIsSupported(*spi, archive, head)) return *spi;
    throw ESPIToolError(FormatW(L"no archive plug-in accepts %s", {archive}));
}

std::vector<TSusieFileInfo> ReadRecords(TAmSPI& spi, const std::wstring& archive) {
    std::vector<TSusieFileInfo> records;
    if (!spi.ReadArchiveInfo(archive, records))
        throw ESPIToolError(FormatW(L"%s could not list %s", {spi.FileName(), archive}));
    return records;
}

void ListArchive(TSPIs& spis, const std::wstring& archive) {
    TAmSPI& spi = FindArchivePlugin(spis, archive);
    const auto records = ReadRecords(spi, archive);
    std::wstring out = L"plug-in: " + spi.FileName() + L"\n";
    out += L"index\tmethod\tposition\tcompsize\tfilesize\ttime (UTC)\tpath\tname\n";
    for (size_t i = 0; i < records.size(); ++i) {
        const TSusieFileInfo& r = records[i];
        out += std::to_wstring(i) + L"\t" + Text(FixedText(reinterpret_cast<const char*>(r.method), 8)) + L"\t" +
               Hex8(r.position) + L"\t" + std::to_wstring(r.compsize) + L"\t" + std::to_wstring(r.filesize) + L"\t" +
               UtcText(r.timestamp) + L"\t" + Text(FixedText(r.path)) + L"\t" + Text(FixedText(r.filename)) + L"\n";
    }
    out += std::to_wstring(records.size()) + L" member(s)\n";
    Print(out);
}

size_t ParseIndex(const std::wstring& text) {
    size_t value = 0;
    if (text.empty() || text.size() > 9) throw ESPIToolError(FormatW(L"not an index: %s", {text}));
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') throw ESPIToolError(FormatW(L"not an index: %s", {text}));
        value = value * 10 + static_cast<size_t>(c - L'0');
    }
    return value;
}

void ExtractMember(TSPIs& spis, const std::wstring& archive, const std::wstring& indexText,
                   const std::wstring& target) {
    const size_t index = ParseIndex(indexText);
    TAmSPI& spi = FindArchivePlugin(spis, archive);
    const auto records = ReadRecords(spi, archive);
    if (index >= records.size())
        throw ESPIToolError(FormatW(L"index %s is out of range: the archive has %s member(s)",
                                    {indexText, std::to_wstring(records.size())}));
    const TSusieFileInfo& r = records[index];
    // Into memory first, so that a failed extraction leaves no partial file behind.
    TMemoryStream data;
    if (!spi.ExtractFile(archive, r.position, r.filesize, data))
        throw ESPIToolError(FormatW(L"%s could not extract member %s (%s) of %s",
                                    {spi.FileName(), indexText, Text(FixedText(r.filename)), archive}));
    TFileStream out(target, fmCreate);
    out.WriteBuffer(data.Memory(), data.Length());
}

// The image plug-in named by its path or its file name, as loaded.
TInSPI& FindImagePlugin(TSPIs& spis, const std::wstring& name) {
    for (int i = 0; i < spis.Count(); ++i) {
        auto* spi = dynamic_cast<TInSPI*>(&spis.Items(i));
        if (!spi) continue;
        const std::wstring& path = spi->FileName();
        const size_t slash = path.find_last_of(L"\\/");
        const std::wstring base = slash == std::wstring::npos ? path : path.substr(slash + 1);
        const auto same = [](const std::wstring& a, const std::wstring& b) {
            return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
        };
        if (same(path, name) || same(base, name)) return *spi;
    }
    throw ESPIToolError(FormatW(L"no image plug-in %s is loaded", {name}));
}

// Decodes a picture as the program does (its own BMP reader and the image plug-ins, or one given
// plug-in) and writes it as a BMP file.
void DecodePicture(TSPIs& spis, const std::vector<std::wstring>& args) {
    TSPIPxDIB picture;
    picture.PaletteMode = 0;  // the picture as decoded, without a display palette
    if (args.size() > 3)
        picture.LoadFromFileSPI(args[1], &FindImagePlugin(spis, args[3]));
    else
        picture.LoadFromFile(args[1]);
    picture.SaveToFile(args[2]);
    Print(FormatW(L"%s x %s, %s bits\n", {std::to_wstring(picture.GetWidth()), std::to_wstring(picture.GetHeight()),
                                         std::to_wstring(picture.GetBitCount())}));
}

int Run(std::vector<std::wstring> args) {
    std::wstring pluginFolder;
    for (size_t i = 0; i < args.size();) {
        if (args[i] == L"--plugins") {
            if (i + 1 >= args.size()) throw ESPIToolError(std::wstring(L"--plugins needs a folder\n") + kUsage);
            pluginFolder = args[i + 1];
            args.erase(args.begin() + static_cast<ptrdiff_t>(i), args.begin() + static_cast<ptrdiff_t>(i) + 2);
        } else {
            ++i;
        }
    }
    struct TCommand {
        const wchar_t* name;
        size_t minArgs, maxArgs;
        std::function<void(TSPIs&, const std::vector<std::wstring>&)> run;
    };
    const TCommand commands[] = {
        {L"plugins", 0, 0, [](TSPIs& s, const auto&) { ListPlugins(s); }},
        {L"list", 1, 1, [](TSPIs& s, const auto& a) { ListArchive(s, a[1]); }},
        {L"extract", 3, 3, [](TSPIs& s, const auto& a) { ExtractMember(s, a[1], a[2], a[3]); }},
        {L"decode", 2, 3, [](TSPIs& s, const auto& a) { DecodePicture(s, a); }},
    };
    for (const TCommand& c : commands) {
        if (args.empty() || args[0] != c.name) continue;
        if (args.size() < c.minArgs + 1 || args.size() > c.maxArgs + 1) throw ESPIToolError(kUsage);
        TSPIs spis;
        LoadPlugins(spis, pluginFolder);
        c.run(spis, args);
        return 0;
    }
    throw ESPIToolError(kUsage);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return Run(std::vector<std::wstring>(argv + 1, argv + argc));
    } catch (const Exception& e) {
        Write(STD_ERROR_HANDLE, Utf8ToWide(e.ClassName()) + L": " + e.Message() + L"\n");
    } catch (const std::exception& e) {
        Write(STD_ERROR_HANDLE, L"std::exception: " + Utf8ToWide(e.what()) + L"\n");
    }
    return 1;
}
