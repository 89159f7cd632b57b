// Program seam on Windows: the file of the process's executable module, the wide command line,
// consoles written as wide text, and the shell's default handler of http addresses.
#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <iostream>
#include <streambuf>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/program.h"
#include "platform/utf8.h"

namespace XPL::PLATFORM {

namespace {

// A stream buffer that writes UTF-8 text to a console as wide characters. A character whose
// bytes are split between two writes waits for the rest.
class CConsoleBuffer : public std::streambuf {
public:
    explicit CConsoleBuffer(HANDLE console) : console_(console) {
        setp(buffer_, buffer_ + sizeof(buffer_));
    }

protected:
    int_type overflow(int_type c) override {
        if (!Write()) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return Write() ? 0 : -1; }

private:
    bool Write() {
        const size_t size = static_cast<size_t>(pptr() - pbase());
        // The bytes up to the start of a last character that is not complete yet.
        size_t complete = size;
        for (size_t back = 1; back <= 3 && back <= size; ++back) {
            const auto c = static_cast<unsigned char>(buffer_[size - back]);
            if ((c & 0xC0) == 0x80) {
                continue;  // a continuation byte: look further back
            }
            const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            if (length > back) {
                complete = size - back;
            }
            break;
        }
        bool written = true;
        if (complete > 0) {
            wchar_t wide[sizeof(buffer_)];
            const int count = ::MultiByteToWideChar(CP_UTF8, 0, buffer_, static_cast<int>(complete),
                                                    wide, static_cast<int>(sizeof(buffer_)));
            for (int at = 0; at < count && written;) {
                DWORD done = 0;
                written = ::WriteConsoleW(console_, wide + at, static_cast<DWORD>(count - at),
                                          &done, nullptr) != 0 &&
                          done > 0;
                at += static_cast<int>(done);
            }
        }
        std::memmove(buffer_, buffer_ + complete, size - complete);
        setp(buffer_, buffer_ + sizeof(buffer_));
        pbump(static_cast<int>(size - complete));
        return written;
    }

    HANDLE console_;
    char buffer_[4096];
};

void UseConsole(DWORD which, std::ostream& stream) {
    const HANDLE handle = ::GetStdHandle(which);
    DWORD mode = 0;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode)) {
        return;  // a file or a pipe: the UTF-8 bytes as they are
    }
    stream.flush();
    // Never freed: the standard streams are flushed after every static object is gone.
    stream.rdbuf(new CConsoleBuffer(handle));
}

}  // namespace

std::filesystem::path GetProgramFilePath() {
    // A result that fills the buffer may have been cut; grow until it fits (long paths).
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            return std::filesystem::path(std::wstring(buffer.data(), length));
        }
        if (size >= 32768) {
            return {};
        }
        buffer.resize(size * 2);
    }
}

bool OpenInBrowser(const std::string& address) {
    const std::wstring wide(address.begin(), address.end());  // an http address is ASCII
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // ShellExecute reports success by a value above 32.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

std::vector<std::string> GetProgramArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc)
                        : std::vector<std::string>();
    }
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        std::string argument;
        AppendUtf8(argument, std::wstring_view(wide[i]));
        arguments.push_back(std::move(argument));
    }
    ::LocalFree(wide);
    return arguments;
}

void UseUtf8Console() {
    UseConsole(STD_OUTPUT_HANDLE, std::cout);
    UseConsole(STD_ERROR_HANDLE, std::cerr);
}

}  // namespace XPL::PLATFORM
