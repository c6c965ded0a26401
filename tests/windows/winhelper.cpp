// What the tests under Wine need of Windows itself:
//   winhelper hold FILE   opens FILE sharing nothing, as a program that locks it does, prints
//                         "held" and keeps it open until it is ended
//   winhelper clipboard   prints the text on the clipboard, in UTF-8
//   winhelper target LNK  prints the path that the shortcut LNK starts, in UTF-8
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int hold(const char* path)
{
    const HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %s: error %lu\n", path, GetLastError());
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}

void printUtf8(const wchar_t* text)
{
    std::string utf8(WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), int(utf8.size()), nullptr, nullptr);
    std::fputs(utf8.c_str(), stdout);
}

int printClipboard()
{
    if (!OpenClipboard(nullptr))
        return 1;
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (text) {
        printUtf8(text);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text ? 0 : 1;
}

int printTarget(const char* shortcut)
{
    wchar_t name[MAX_PATH], target[MAX_PATH];
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    const bool read =
        MultiByteToWideChar(CP_ACP, 0, shortcut, -1, name, MAX_PATH) &&
        SUCCEEDED(CoInitialize(nullptr)) &&
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(name, STGM_READ)) &&
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK;
    if (read)
        printUtf8(target);
    return read ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "hold") == 0)
        return hold(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "clipboard") == 0)
        return printClipboard();
    if (argc == 3 && std::strcmp(argv[1], "target") == 0)
        return printTarget(argv[2]);
    std::fputs("usage: winhelper hold FILE | winhelper clipboard | winhelper target LNK\n", stderr);
    return 2;
}
