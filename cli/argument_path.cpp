#include "argument_path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "narrow_text.h"
#endif

namespace q470 {

#ifdef _WIN32

std::u16string PathFromArgument(const std::string& argument) {
    if (argument.empty()) return {};
    const int size = static_cast<int>(argument.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, argument.data(), size, nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, argument.data(), size, reinterpret_cast<wchar_t*>(wide.data()), length);
    return wide;
}

#else

// File names are bytes here: a name that is not UTF-8 must still name the same file.
std::u16string PathFromArgument(const std::string& argument) {
    return BytesToWide(argument);
}

#endif

}  // namespace q470
