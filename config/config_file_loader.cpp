#include "config_file_loader.h"

#include <cerrno>
#include <cstdio>

#include "config_file_parser.h"
#include "narrow_text.h"

namespace q470 {

int LoadConfigDocument(const std::u16string& path, ConfigDocument& document) {
#ifdef _WIN32
    std::FILE* file = nullptr;
    const errno_t error = _wfopen_s(&file, reinterpret_cast<const wchar_t*>(path.c_str()), L"rb");
    if (error != 0) return -error;
#else
    std::FILE* file = std::fopen(WideToNarrow(path).c_str(), "rb");
    if (file == nullptr) return -errno;
#endif
    const int result = ParseConfigFile(file, document);
    std::fclose(file);
    return result;
}

}  // namespace q470
